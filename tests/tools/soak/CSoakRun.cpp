#include "CSoakRun.h"

#include "CLooperSongBase.h"
#include "ResultCodes.h"

namespace {
std::mt19937 g_allocation;

uint32_t SoakAllocationStart()
{
    return g_allocation();
}

const int FULL_CHECK_EVERY = 25;
} // namespace

CSoakRun::CSoakRun(uint32_t productId, uint32_t seed) : m_rig(productId), m_random(seed)
{
    g_allocation.seed(seed ^ 0x5A5A5A5Au);
    m_rig.Table().SetRandomSource(&SoakAllocationStart);
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

// A power cut or one fault at a random request of the coming operation, or neither.
void CSoakRun::Disturb(int expectedRequests)
{
    const uint32_t choice = Draw(10);
    m_bDisturbed = choice < 4;
    const int at = 1 + int(Draw(uint32_t(expectedRequests)));
    if (choice < 2) {
        m_rig.Device().SetPowerCut({at, uint32_t(m_random())});
    } else if (choice < 4) {
        SSimFault fault;
        fault.kind = ESimFaultKind(Draw(SIM_FAULT_REMOVE_PORTS + 1));
        fault.atRequest = at;
        fault.delayMs = int(Draw(4000));
        m_rig.Device().SetFault(fault);
        ++m_figures.faults;
    }
}

int32_t CSoakRun::Carry(SStep &step)
{
    CLooperSongTable &table = m_rig.Table();
    const FlashGeometry &geometry = m_rig.Geometry();
    if (step.operation == OP_DOWNLOAD) {
        step.candidate = NewSong();
        const int pages = int(step.candidate.size() / geometry.dataBytesPerPage) + 1;
        Disturb(2 * pages + int(pages / geometry.pagesPerBlock) + 24);
        return table.WriteSong(step.slot, step.candidate.data(), uint32_t(step.candidate.size()), nullptr);
    }
    if (step.operation == OP_DELETE) {
        Disturb(2);
        return table.EraseSong(step.slot);
    }
    Disturb(int(table.Store(step.slot)->GetSize() / geometry.dataBytesPerPage) + 2);
    Bytes back(table.Store(step.slot)->GetSize());
    const int32_t result = table.ReadSong(step.slot, back.data(), uint32_t(back.size()), nullptr);
    m_bReadOther = result == RESULT_OK && back != m_slots[step.slot];
    return result;
}

// Where the cut landed: the erase of the slot's FAT block and the record written at its page 0
// are the wrap window; the legacy song-file flag (memory area 0) comes after the record.
void CSoakRun::NoteCut(SStep &step)
{
    ++m_figures.cuts;
    const SSimRequest last = m_rig.Device().Requests().back();
    const FlashGeometry &geometry = m_rig.Geometry();
    const uint32_t fat = PageAddress(geometry, geometry.dataBlockCount + step.slot, 0);
    const bool inFat = last.area == 1 && last.address >= fat && last.address < fat + geometry.blockSize;
    step.inWrap = inFat && (last.command == CMD_ERASE || (last.command == CMD_WRITE && last.address == fat));
    m_figures.wrapCuts += step.inWrap ? 1 : 0;
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
    const uint32_t choice = Draw(10);
    step.operation = choice < 6 ? OP_DOWNLOAD : choice < 8 ? OP_DELETE : OP_UPLOAD;
    if (step.operation == OP_UPLOAD && m_slots[step.slot].empty())
        step.operation = OP_DOWNLOAD;
    const int32_t result = Carry(step);
    if (!m_rig.Flash().Faults().empty())
        return Fail("a byte was programmed where the flash was not erased");
    const bool cut = m_rig.Device().PoweredOff();
    if (cut)
        NoteCut(step);
    m_rig.Device().ClearFaults();
    m_rig.Device().SetPowerCut({0, 0});
    if (m_bReadOther)
        return Fail(QStringLiteral("slot %1 read back other bytes than its song").arg(step.slot + 1));
    // Plugged in again after any disturbance: a fault may have left the looper's ports gone even
    // when the operation succeeded (the legacy song-file flag does not count for its result).
    if (m_bDisturbed || result != RESULT_OK)
        m_rig.PlugBackIn();
    m_rig.Table().LoadEachSong();
    for (uint32_t slot = 0; slot < m_slots.size(); ++slot) {
        if (!CheckSlot(step, slot, readEverySlot || slot == step.slot))
            return false;
    }
    return true;
}

// A damaged slot is repaired when it can be, otherwise cleared so that the looper stays writable.
bool CSoakRun::CheckSlot(const SStep &step, uint32_t slot, bool readBytes)
{
    CLooperSongTable &table = m_rig.Table();
    if (table.SlotLoadResult(slot) == RESULT_OK)
        return CheckLoaded(step, slot, readBytes);
    ++m_figures.damaged;
    if (table.SongRecoverable(slot)) {
        if (table.RepairSong(slot) != RESULT_OK)
            return Fail(QStringLiteral("slot %1 could not be repaired").arg(slot + 1));
        ++m_figures.repaired;
        if (ReadSlot(slot) != m_slots[slot])
            return Fail(QStringLiteral("slot %1 was repaired to another song").arg(slot + 1));
        return true;
    }
    const bool deleting = step.operation == OP_DELETE && slot == step.slot;
    if (!deleting && !CountLoss(step, slot))
        return false;
    m_slots[slot].clear();
    if (table.EraseSong(slot) != RESULT_OK || table.ReloadSong(slot) != RESULT_OK)
        return Fail(QStringLiteral("damaged slot %1 could not be cleared").arg(slot + 1));
    return true;
}

bool CSoakRun::CheckLoaded(const SStep &step, uint32_t slot, bool readBytes)
{
    const CLooperSongBase *store = m_rig.Table().Store(slot);
    const bool mayChange = slot == step.slot && step.operation != OP_UPLOAD;
    if (!readBytes) {
        return store->GetSize() == m_slots[slot].size() ||
               Fail(QStringLiteral("slot %1 changed size unasked").arg(slot + 1));
    }
    const Bytes held = store->HasSong() ? ReadSlot(slot) : Bytes();
    if (held == m_slots[slot])
        return true;
    if (mayChange && held == step.candidate) {
        m_slots[slot] = held;
        return true;
    }
    if (held.empty() && !m_slots[slot].empty()) {
        m_slots[slot].clear();
        return CountLoss(step, slot);
    }
    return Fail(QStringLiteral("slot %1 shows a song it must not hold").arg(slot + 1));
}

// A loss is allowed only in the slot the operation worked on, with the cut in the wrap window.
bool CSoakRun::CountLoss(const SStep &step, uint32_t slot)
{
    if (step.inWrap && slot == step.slot) {
        ++m_figures.wrapLost;
        return true;
    }
    ++m_figures.lost;
    return true;
}
