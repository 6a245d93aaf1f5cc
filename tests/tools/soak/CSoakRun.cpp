#include "CSoakRun.h"

#include "CLooperSongBase.h"
#include "ResultCodes.h"

#include <QStringList>

#include <cstdio>

namespace {
std::mt19937 g_allocation;

uint32_t SoakAllocationStart()
{
    return g_allocation();
}

// Reading every song is most of a long run's time: the slot an operation worked on is read after it anyway.
const int FULL_CHECK_EVERY = 100;
} // namespace

CSoakRun::CSoakRun(uint32_t productId, uint32_t seed) : m_rig(productId), m_random(seed)
{
    g_allocation.seed(seed ^ 0x5A5A5A5Au);
    // Every table, the command lines' ones too, draws from the run's seed: a run can be replayed.
    CLooperSongTable::SetDefaultRandomSource(&SoakAllocationStart);
    m_rig.Table().SetRandomSource(&SoakAllocationStart);
}

void CSoakRun::Trace(const SStep &step) const
{
    if (!m_bTrace)
        return;
    static const char *const NAMES[] = {"download",   "delete",     "upload",     "cli download",
                                        "cli delete", "cli backup", "cli restore"};
    QStringList written;
    for (const auto &candidate : step.candidates)
        written << QStringLiteral("%1:%2").arg(candidate.first + 1).arg(candidate.second.size());
    std::fprintf(stderr, "op %d: %s slot %u [%s] %s, %s\n", m_figures.ops, NAMES[step.operation],
                 step.slot + 1, qPrintable(written.join(' ')), step.succeeded ? "succeeded" : "failed",
                 qPrintable(m_strDisturbance.isEmpty() ? "undisturbed" : m_strDisturbance));
}

bool CSoakRun::Fail(const QString &why)
{
    m_failure = QStringLiteral("op %1: %2").arg(m_figures.ops).arg(why);
    return false;
}

bool CSoakRun::Run(int ops)
{
    if (m_rig.Table().LoadEachSong() != RESULT_OK)
        return Fail("the fresh looper did not load");
    m_slots.assign(m_rig.Table().StoreCount(), Bytes());
    for (int n = 0; n < ops; ++n) {
        ++m_figures.ops;
        if (!Step(n % FULL_CHECK_EVERY == FULL_CHECK_EVERY - 1 || n == ops - 1))
            return false;
    }
    return true;
}

// Whole groups, so that every layout reads back exactly what was written; mostly short songs,
// now and then one up to the model's longest.
Bytes CSoakRun::NewSong()
{
    const FlashGeometry &geometry = m_rig.Geometry();
    const uint32_t groupsPerBlock = geometry.dataBytesPerPage / geometry.groupSize * geometry.pagesPerBlock;
    const uint32_t maxBlocks = std::min<uint32_t>(geometry.maxBlocksPerSong, 1300);
    const uint32_t blocks = Draw(40) == 0 ? 1 + Draw(maxBlocks) : 1 + Draw(3);
    const uint32_t groups = 1 + Draw(blocks * groupsPerBlock);
    return SongBytes(groups * geometry.groupSize, m_nNextSong++);
}

Bytes CSoakRun::ReadSlot(uint32_t slot)
{
    Bytes bytes(m_rig.Table().Store(slot)->GetSize());
    if (m_rig.Table().ReadSong(slot, bytes.data(), uint32_t(bytes.size()), nullptr) != RESULT_OK)
        return {0x00};
    return bytes;
}

int CSoakRun::PageCount(size_t bytes) const
{
    return int(bytes / m_rig.Geometry().dataBytesPerPage) + 1;
}

// A power cut or one fault at a random request of the coming operation, or neither.
void CSoakRun::Disturb(int expectedRequests)
{
    const uint32_t choice = Draw(10);
    m_bDisturbed = choice < 4;
    const int at = 1 + int(Draw(uint32_t(expectedRequests)));
    m_strDisturbance.clear();
    if (choice < 2) {
        // A quarter of the cuts tear a program in its first bytes, where a record's tag lies.
        const uint32_t seed = uint32_t(m_random());
        m_rig.Device().SetPowerCut({at, seed, Draw(4) == 0 ? int(Draw(8)) : -1});
        m_strDisturbance = QStringLiteral("power cut at request %1").arg(at);
    } else if (choice < 4) {
        SSimFault fault;
        fault.kind = ESimFaultKind(Draw(SIM_FAULT_REMOVE_PORTS + 1));
        fault.atRequest = at;
        fault.delayMs = int(Draw(4000));
        m_rig.Device().SetFault(fault);
        ++m_figures.faults;
        m_strDisturbance = QStringLiteral("fault %1 at request %2").arg(fault.kind).arg(at);
    }
}

CSoakRun::EOperation CSoakRun::ChooseOperation(uint32_t slot)
{
    const uint32_t choice = Draw(40);
    if (choice < 17)
        return OP_DOWNLOAD;
    if (choice < 23)
        return OP_DELETE;
    if (choice < 27)
        return m_slots[slot].empty() ? OP_DOWNLOAD : OP_UPLOAD;
    if (choice < 33)
        return OP_CLI_DOWNLOAD;
    if (choice < 35)
        return OP_CLI_DELETE;
    // A backup reads every song: the costliest step, so the rarest.
    if (choice < 36 || m_backup.empty())
        return OP_CLI_BACKUP;
    return OP_CLI_RESTORE;
}

// False only when a check broke; the operation's own outcome is in step.succeeded.
bool CSoakRun::Carry(SStep &step)
{
    CLooperSongTable &table = m_rig.Table();
    const FlashGeometry &geometry = m_rig.Geometry();
    int32_t result = RESULT_OK;
    if (step.operation == OP_DOWNLOAD) {
        Bytes &song = step.candidates[step.slot] = NewSong();
        const int pages = PageCount(song.size());
        Disturb(2 * pages + int(pages / geometry.pagesPerBlock) + 24);
        result = table.WriteSong(step.slot, song.data(), uint32_t(song.size()), nullptr);
    } else if (step.operation == OP_DELETE) {
        step.candidates[step.slot] = Bytes();
        Disturb(2);
        result = table.EraseSong(step.slot);
    } else if (step.operation == OP_UPLOAD) {
        Disturb(PageCount(table.Store(step.slot)->GetSize()) + 2);
        Bytes back(table.Store(step.slot)->GetSize());
        result = table.ReadSong(step.slot, back.data(), uint32_t(back.size()), nullptr);
        m_bReadOther = result == RESULT_OK && back != m_slots[step.slot];
    } else {
        return CarryCommandLine(step);
    }
    step.succeeded = result == RESULT_OK;
    return true;
}

// Where the cut landed: the erase of a slot's FAT block and the record written at its page 0
// are that slot's wrap window; the legacy song-file flag (memory area 0) comes after the record.
void CSoakRun::NoteCut(SStep &step)
{
    ++m_figures.cuts;
    const SSimRequest last = m_rig.Device().Requests().back();
    const FlashGeometry &geometry = m_rig.Geometry();
    const uint32_t fatStart = PageAddress(geometry, geometry.dataBlockCount, 0);
    const uint32_t slot = last.address >= fatStart ? (last.address - fatStart) / geometry.blockSize : 0;
    const uint32_t fat = PageAddress(geometry, geometry.dataBlockCount + slot, 0);
    const bool inFat = last.area == 1 && last.address >= fatStart && slot < m_slots.size();
    if (inFat && (last.command == CMD_ERASE || (last.command == CMD_WRITE && last.address == fat))) {
        step.wrapSlot = int(slot);
        ++m_figures.wrapCuts;
    }
    m_figures.flagCuts += last.area == 0 && last.command != CMD_READ ? 1 : 0;
}

bool CSoakRun::Step(bool readEverySlot)
{
    // The logs cover one operation, so that a long run does not grow them without end.
    m_rig.Device().ClearRequests();
    m_rig.Flash().ClearLog();
    m_bDisturbed = false;
    m_bReadOther = false;
    SStep step;
    step.slot = Draw(uint32_t(m_slots.size()));
    step.operation = ChooseOperation(step.slot);
    if (!Carry(step))
        return false;
    Trace(step);
    if (!m_rig.Flash().Faults().empty())
        return Fail("a byte was programmed where the flash was not erased");
    if (m_rig.Device().PoweredOff())
        NoteCut(step);
    m_rig.Device().ClearFaults();
    m_rig.Device().SetPowerCut({0, 0});
    if (m_bReadOther)
        return Fail(QStringLiteral("slot %1 read back other bytes than its song").arg(step.slot + 1));
    return Reload(step, readEverySlot);
}

// A load that meets a fault only reads: it must leave the flash as it was.
bool CSoakRun::LoadWithFault()
{
    m_rig.Flash().ClearLog();
    SSimFault fault;
    fault.kind = ESimFaultKind(Draw(SIM_FAULT_REMOVE_PORTS + 1));
    fault.atRequest = 1 + int(Draw(uint32_t(std::max(m_nLoadRequests, 1))));
    fault.delayMs = int(Draw(4000));
    m_rig.Device().SetFault(fault);
    ++m_figures.faults;
    m_rig.Table().LoadEachSong();
    m_rig.Device().ClearFaults();
    if (!m_rig.Flash().Operations().empty())
        return Fail("a load that met a fault changed the flash");
    m_rig.PlugBackIn();
    return true;
}

// Plugged in again after any disturbance: a fault may have left the looper's ports gone even
// when the operation succeeded (the legacy song-file flag does not count for its result).
bool CSoakRun::Reload(const SStep &step, bool readEverySlot)
{
    if (m_bDisturbed || !step.succeeded)
        m_rig.PlugBackIn();
    else if (step.operation >= OP_CLI_DOWNLOAD && !m_rig.Reconnect())
        return Fail("the looper did not answer after a command line");
    if (Draw(10) == 0 && !LoadWithFault())
        return false;
    const size_t before = m_rig.Device().Requests().size();
    m_rig.Table().LoadEachSong();
    m_nLoadRequests = int(m_rig.Device().Requests().size() - before);
    for (uint32_t slot = 0; slot < m_slots.size(); ++slot) {
        if (!CheckSlot(step, slot, readEverySlot || step.candidates.count(slot) > 0))
            return false;
    }
    return CheckSucceeded(step);
}

// A damaged slot is repaired when it can be, otherwise cleared so that the looper stays writable.
bool CSoakRun::CheckSlot(const SStep &step, uint32_t slot, bool readBytes)
{
    CLooperSongTable &table = m_rig.Table();
    if (table.SlotLoadResult(slot) == RESULT_OK)
        return CheckLoaded(step, slot, readBytes);
    ++m_figures.damaged;
    if (table.SongRecoverable(slot)) {
        if (table.RepairSong(slot) == RESULT_OK)
            return CheckRepaired(step, slot);
        // A half-erased FAT block can look recoverable while the older record no longer holds.
        if (step.wrapSlot != int(slot))
            return Fail(QStringLiteral("slot %1 could not be repaired").arg(slot + 1));
    }
    // A torn first record in an empty slot is damage, but no song was there to lose.
    const auto candidate = step.candidates.find(slot);
    const bool deleting = candidate != step.candidates.end() && candidate->second.empty();
    if (!deleting && !m_slots[slot].empty())
        CountLoss(step, slot);
    m_slots[slot].clear();
    if (table.EraseSong(slot) != RESULT_OK || table.ReloadSong(slot) != RESULT_OK)
        return Fail(QStringLiteral("damaged slot %1 could not be cleared").arg(slot + 1));
    return true;
}

bool CSoakRun::CheckRepaired(const SStep &step, uint32_t slot)
{
    ++m_figures.repaired;
    const Bytes repaired = ReadSlot(slot);
    if (repaired == m_slots[slot])
        return true;
    // A torn erase of a FAT block can leave an older record whole and the newest torn, just as a
    // torn commit does: the slot is then offered an earlier version.
    return AcceptEarlierRecord(step, slot, repaired, "was repaired to another song");
}

// A half-erased FAT block can leave an older record readable: only the slot whose block the cut hit.
bool CSoakRun::AcceptEarlierRecord(const SStep &step, uint32_t slot, const Bytes &held, const char *what)
{
    if (step.wrapSlot != int(slot))
        return Fail(QStringLiteral("slot %1 %2").arg(slot + 1).arg(what));
    ++m_figures.wrapEarlier;
    m_slots[slot] = held;
    return true;
}

bool CSoakRun::CheckLoaded(const SStep &step, uint32_t slot, bool readBytes)
{
    const CLooperSongBase *store = m_rig.Table().Store(slot);
    if (!readBytes) {
        return store->GetSize() == m_slots[slot].size() ||
               Fail(QStringLiteral("slot %1 changed size unasked").arg(slot + 1));
    }
    const Bytes held = store->HasSong() ? ReadSlot(slot) : Bytes();
    if (held == m_slots[slot])
        return true;
    const auto candidate = step.candidates.find(slot);
    if (candidate != step.candidates.end() && held == candidate->second) {
        m_slots[slot] = held;
        return true;
    }
    if (held.empty() && !m_slots[slot].empty()) {
        m_slots[slot].clear();
        CountLoss(step, slot);
        return true;
    }
    return AcceptEarlierRecord(step, slot, held, "shows a song it must not hold");
}

// An operation that reported success has committed every slot it wrote.
bool CSoakRun::CheckSucceeded(const SStep &step)
{
    if (!step.succeeded)
        return true;
    for (const auto &candidate : step.candidates) {
        if (m_slots[candidate.first] != candidate.second)
            return Fail(QStringLiteral("success reported, but slot %1 holds %2 bytes, not the new song's %3")
                            .arg(candidate.first + 1)
                            .arg(m_slots[candidate.first].size())
                            .arg(candidate.second.size()));
    }
    return true;
}

// A loss is allowed only in the slot whose FAT-block erase the cut landed in.
void CSoakRun::CountLoss(const SStep &step, uint32_t slot)
{
    const bool inWindow = step.wrapSlot == int(slot);
    ++(inWindow ? m_figures.wrapLost : m_figures.lost);
    if (m_bTrace)
        std::fprintf(stderr, "op %d: slot %u lost its song%s\n", m_figures.ops, slot + 1,
                     inWindow ? " inside a FAT-block erase window" : "");
}
