#include "CLooperSongTable.h"

#include "CLooperSongFile.h"
#include "CLooperSongOld.h"
#include "CUSBPort.h"
#include "CancelRequest.h"
#include "Random32.h"
#include "ResultCodes.h"

#include <QDebug>

#include <cstring>

namespace {

std::unique_ptr<CLooperSongBase> CreateStore(uint32_t storeKind)
{
    if (storeKind == STORE_FILE_TABLE)
        return std::unique_ptr<CLooperSongBase>(new CLooperSongFile);
    return std::unique_ptr<CLooperSongBase>(new CLooperSongOld);
}

CLooperSongTable::RandomSource g_pfnDefaultRandom = &Random32;
} // namespace

CLooperSongTable::CLooperSongTable(CUSBPort &port)
    : m_port(port), m_geometry(), m_nLoadResult(RESULT_OK), m_pfnRandom(g_pfnDefaultRandom)
{
}

CLooperSongTable::~CLooperSongTable() = default;

void CLooperSongTable::SetRandomSource(RandomSource source)
{
    m_pfnRandom = source ? source : g_pfnDefaultRandom;
}

void CLooperSongTable::SetDefaultRandomSource(RandomSource source)
{
    g_pfnDefaultRandom = source ? source : &Random32;
}

CLooperSongBase *CLooperSongTable::Store(uint32_t slot) const
{
    return slot < m_stores.size() ? m_stores[slot].get() : nullptr;
}

void CLooperSongTable::CreateStores(const DeviceModel &model)
{
    m_stores.clear();
    m_nStoreKind = model.storeKind;
    for (uint32_t i = 0; i < model.songSlots; ++i)
        m_stores.push_back(CreateStore(model.storeKind));
}

std::unique_ptr<CLooperSongBase> CLooperSongTable::ScratchStore(uint32_t slot) const
{
    std::unique_ptr<CLooperSongBase> store = CreateStore(m_nStoreKind);
    store->Attach(m_stores[slot]->InfoBlock(), m_geometry, m_port);
    return store;
}

int32_t CLooperSongTable::PrepareLoad()
{
    if (m_port.State() == LINK_CLOSED)
        return RESULT_DEVICE_NOT_OPEN;
    m_usedBlocks.reset();
    m_slotResults.clear();
    m_shares.clear();
    const DeviceModel *model = FindDeviceModel(m_port.Identity().productId);
    if (!model || model->storeKind == STORE_NONE || !model->geometry) {
        // The stores of an earlier device must not be used on this one.
        m_stores.clear();
        m_nLoadResult = RESULT_DEVICE_NOT_SUPPORTED;
        return m_nLoadResult;
    }
    CreateStores(*model);
    m_geometry = *model->geometry;
    m_slotResults.assign(m_stores.size(), RESULT_BAD_SLOT);
    m_recoverable.assign(m_stores.size(), SSongPlace());
    m_recoverableBlocks.assign(m_stores.size(), UsedBlockMap());
    m_shares.assign(m_stores.size(), SShare());
    m_nLoadResult = RESULT_OK;
    return RESULT_OK;
}

// A store is attached when its slot is loaded: one never loaded refuses all work.
int32_t CLooperSongTable::LoadSlot(uint32_t slot)
{
    m_stores[slot]->Attach(m_geometry.dataBlockCount + slot, m_geometry, m_port);
    return LoadAttachedSlot(slot);
}

int32_t CLooperSongTable::LoadAttachedSlot(uint32_t slot)
{
    m_slotResults[slot] = m_stores[slot]->Load(m_usedBlocks);
    // A read that a stop cut short says nothing about the record.
    if (m_slotResults[slot] != RESULT_OK && CancelRequested())
        m_slotResults[slot] = RESULT_CANCELLED;
    m_recoverable[slot] = SSongPlace();
    m_recoverableBlocks[slot].reset();
    // Only a record found broken is searched further: a link that failed would fail again.
    if (m_slotResults[slot] == RESULT_CHECKSUM_ERROR)
        FindRecoverable(slot);
    return m_slotResults[slot];
}

// The previous record is offered only when it reads as a sound record of this model, as the load
// after the repair will read it.
void CLooperSongTable::FindRecoverable(uint32_t slot)
{
    CLooperSongBase &store = *m_stores[slot];
    SSongPlace previous{store.InfoBlock(), store.FindRecoverablePage(), {}};
    if (previous.fatPage >= 0 &&
        store.MarkRecordBlocks(previous.fatPage, m_recoverableBlocks[slot]) == RESULT_OK &&
        store.ReadWholeRecord(previous.fatPage, previous.record) == RESULT_OK)
        m_recoverable[slot] = previous;
    else
        m_recoverableBlocks[slot].reset();
}

int32_t CLooperSongTable::LoadSongs()
{
    const int32_t result = PrepareLoad();
    if (result != RESULT_OK)
        return result;
    for (uint32_t i = 0; i < m_stores.size(); ++i) {
        m_nLoadResult = LoadSlot(i);
        if (m_nLoadResult != RESULT_OK)
            return m_nLoadResult;
    }
    FindSharedSongs();
    return m_nLoadResult;
}

int32_t CLooperSongTable::LoadEachSong()
{
    const int32_t result = PrepareLoad();
    if (result != RESULT_OK)
        return result;
    for (uint32_t i = 0; i < m_stores.size(); ++i) {
        if (LoadSlot(i) != RESULT_OK && m_nLoadResult == RESULT_OK)
            m_nLoadResult = m_slotResults[i];
    }
    FindSharedSongs();
    return m_nLoadResult;
}

int32_t CLooperSongTable::ReloadSong(uint32_t slot)
{
    const int32_t result = CheckSlot(slot);
    if (result != RESULT_OK)
        return result;
    if (!m_stores[slot]->IsAttached())
        return RESULT_BAD_SLOT;
    const int32_t loaded = LoadAttachedSlot(slot);
    FindSharedSongs();
    return loaded;
}

int32_t CLooperSongTable::SlotLoadResult(uint32_t slot) const
{
    if (slot >= m_slotResults.size())
        return RESULT_BAD_SLOT;
    return m_slotResults[slot] == RESULT_OK && m_shares[slot].partner >= 0 ? RESULT_SHARED_BLOCKS
                                                                           : m_slotResults[slot];
}

bool CLooperSongTable::HasDamagedSlot() const
{
    for (uint32_t slot = 0; slot < m_slotResults.size(); ++slot) {
        if (SlotLoadResult(slot) != RESULT_OK)
            return true;
    }
    return false;
}

bool CLooperSongTable::SongRecoverable(uint32_t slot) const
{
    if (slot >= m_shares.size())
        return false;
    if (m_shares[slot].partner >= 0)
        return m_shares[slot].kind != SHARE_UNRESOLVED;
    return m_recoverable[slot].IsValid();
}

int32_t CLooperSongTable::RepairSong(uint32_t slot)
{
    const int32_t result = CheckSlot(slot);
    if (result != RESULT_OK)
        return result;
    if (!SongRecoverable(slot))
        return RESULT_BAD_SLOT;
    const int32_t repaired = m_shares[slot].partner >= 0 ? SeparateShared(slot) : RepairRecord(slot);
    FindSharedSongs();
    return repaired;
}

// The song the repair brings back lies at a new place afterwards: what the computer keeps about it
// goes along.
int32_t CLooperSongTable::RepairRecord(uint32_t slot)
{
    if ((m_recoverableBlocks[slot] & m_usedBlocks).any())
        return RESULT_BAD_SLOT;
    const SSongPlace previous = m_recoverable[slot];
    const int32_t rewritten = m_stores[slot]->RewriteRecord(previous.fatPage);
    if (rewritten != RESULT_OK)
        return rewritten;
    const int32_t loaded = LoadAttachedSlot(slot);
    if (loaded == RESULT_OK)
        NoteMove(previous, slot);
    return loaded;
}

QString CLooperSongTable::SongRowText(uint32_t slot) const
{
    const CLooperSongBase *store = Store(slot);
    const double megabytes = store ? store->GetSize() / 1048576.0 : 0.0;
    return QString::asprintf("Song %.3d -- (%.2f  MB)", static_cast<int>(slot + 1), megabytes);
}

int32_t CLooperSongTable::CheckSlot(uint32_t slot) const
{
    if (m_port.State() == LINK_CLOSED)
        return RESULT_DEVICE_NOT_OPEN;
    if (slot >= m_stores.size())
        return RESULT_BAD_SLOT;
    return RESULT_OK;
}

int32_t CLooperSongTable::ReadSong(uint32_t slot, uint8_t *destination, uint32_t capacity,
                                   QObject *progressTarget)
{
    const int32_t result = CheckSlot(slot);
    if (result != RESULT_OK)
        return result;
    const int32_t read = m_stores[slot]->Read(destination, capacity, progressTarget);
    if (read == RESULT_OK && m_pObserver && m_stores[slot]->HasSong())
        m_pObserver->SongRead(slot, destination, m_stores[slot]->GetSize());
    return read;
}

int32_t CLooperSongTable::EraseSong(uint32_t slot)
{
    const int32_t result = CheckSlot(slot);
    if (result != RESULT_OK)
        return result;
    // Deleting either slot of a cut swap would take the song that only the repair brings back.
    if (m_shares[slot].kind == SHARE_ROLL_BACK)
        return RESULT_SHARED_BLOCKS;
    const int32_t erased = m_stores[slot]->Erase();
    if (erased == RESULT_OK && m_pObserver)
        m_pObserver->SongErased(slot);
    return erased;
}

// Free blocks are known only when every other slot was loaded: a slot that was not could own
// any block. The slot written to may be unknown: its old blocks are its own. While two slots share
// blocks, a write to either would leave a song that only the repair brings back nowhere.
// RESULT_OK, or why the write is refused.
int32_t CLooperSongTable::RefusedWrite(uint32_t slot) const
{
    for (uint32_t i = 0; i < m_slotResults.size(); ++i) {
        if (i != slot && SlotLoadResult(i) != RESULT_OK)
            return m_nLoadResult != RESULT_OK ? m_nLoadResult : SlotLoadResult(i);
    }
    return m_shares[slot].partner >= 0 ? RESULT_SHARED_BLOCKS : RESULT_OK;
}

int32_t CLooperSongTable::WriteSong(uint32_t slot, const uint8_t *bytes, uint32_t length,
                                    QObject *progressTarget)
{
    int32_t result = CheckSlot(slot);
    if (result != RESULT_OK)
        return result;
    if (!m_stores[slot]->IsAttached())
        return RESULT_BAD_SLOT;
    if (length == 0 || bytes == nullptr)
        return RESULT_WRITE_FAILED;
    result = RefusedWrite(slot);
    if (result != RESULT_OK)
        return result;
    const uint32_t group = m_geometry.groupSize;
    const uint64_t padded = (static_cast<uint64_t>(length) + group - 1) / group * group;
    SBlockList blocks;
    result = AllocateBlocks(padded, blocks);
    if (result != RESULT_OK)
        return result;
    boost::shared_array<uint8_t> buffer(new uint8_t[padded]());
    std::memcpy(buffer.get(), bytes, length);
    result = m_stores[slot]->Write(blocks, buffer.get(), length, progressTarget);
    if (result == RESULT_OK)
        MarkBlocks(blocks, length);
    if (result == RESULT_OK && m_pObserver)
        m_pObserver->SongWritten(slot);
    return result;
}

// A written song owns its blocks until the next load says otherwise, so that a second write
// before that load cannot land on them.
void CLooperSongTable::MarkBlocks(const SBlockList &blocks, uint32_t length)
{
    const uint64_t perBlock = static_cast<uint64_t>(m_geometry.dataBytesPerPage) * m_geometry.pagesPerBlock;
    const uint64_t used = (length + perBlock - 1) / perBlock;
    for (uint32_t k = 0; k < used && k < blocks.count; ++k)
        m_usedBlocks.set(blocks.blocks[k]);
}

int32_t CLooperSongTable::AllocateBlocks(uint64_t size, SBlockList &blocks) const
{
    const uint64_t perBlock = static_cast<uint64_t>(m_geometry.dataBytesPerPage) * m_geometry.pagesPerBlock;
    if (perBlock == 0 || m_geometry.dataBlockCount == 0)
        return RESULT_DEVICE_NOT_SUPPORTED;
    const uint64_t needed = (size + perBlock - 1) / perBlock;
    if (needed > m_geometry.maxBlocksPerSong)
        return RESULT_FILE_TOO_LARGE;
    blocks.blocks.reset(new uint16_t[needed == 0 ? 1 : needed]);
    blocks.count = 0;
    qDebug("Searched blocks:");
    const uint32_t start = m_pfnRandom() % m_geometry.dataBlockCount;
    for (uint32_t i = 0; i < m_geometry.dataBlockCount && blocks.count < needed; ++i) {
        const uint32_t block = (start + i) % m_geometry.dataBlockCount;
        if (!m_usedBlocks.test(block)) {
            blocks.blocks[blocks.count++] = static_cast<uint16_t>(block);
            qDebug("%d,", block);
        }
    }
    qDebug("\n");
    return blocks.count < needed ? RESULT_SPACE_NOT_ENOUGH : RESULT_OK;
}
