#include "CLooperSongTable.h"

#include "ResultCodes.h"

// A move writes the source's record on the first place of the target's freshly erased FAT block,
// then erases the source's. A swap writes the lower slot's record on the next place of the higher
// slot's block, over the record of the higher slot's own song, then that record on the next place
// of the lower slot's block; a lower slot whose record is alone on its first place gets a second
// copy of it first, so that it never looks like a move's target. Two slots whose newest records are
// the same record are therefore told apart by the flash alone:
// - the higher slot's record alone on its first place: a move into it, the lower slot its source;
// - else the lower slot's record alone on its first place: a move into it from the higher slot;
// - else a swap, whose copy lies on the higher slot, over the record of the song it displaced.
// Repair deletes the move's source (the song stays in its new slot), or writes the displaced
// record again on the higher slot (both songs back in their old slots).
void CLooperSongTable::FindSharedSongs()
{
    m_shares.assign(m_stores.size(), SShare());
    std::vector<SSongPlace> places(m_stores.size());
    std::vector<UsedBlockMap> blocks(m_stores.size());
    UsedBlockMap inUse;
    for (uint32_t slot = 0; slot < m_stores.size(); ++slot) {
        places[slot] = SongPlace(slot);
        blocks[slot] = LoadedBlocks(slot) | m_recoverableBlocks[slot];
        inUse |= blocks[slot];
    }
    bool shared = false;
    for (uint32_t lower = 0; lower < m_stores.size(); ++lower) {
        for (uint32_t higher = lower + 1; higher < m_stores.size(); ++higher) {
            if (places[lower].IsValid() && places[higher].IsValid() &&
                (blocks[lower] & blocks[higher]).any()) {
                ShareBetween(lower, higher, places, inUse);
                shared = true;
            }
        }
    }
    if (shared && m_nLoadResult == RESULT_OK)
        m_nLoadResult = RESULT_SHARED_BLOCKS;
}

void CLooperSongTable::ShareBetween(uint32_t lower, uint32_t higher, const std::vector<SSongPlace> &places,
                                    const UsedBlockMap &inUse)
{
    SSongPlace displaced;
    if (places[lower].record != places[higher].record) {
        MarkShare(lower, higher, SHARE_UNRESOLVED);
        MarkShare(higher, lower, SHARE_UNRESOLVED);
    } else if (places[higher].fatPage == 0) {
        MarkShare(lower, higher, SHARE_DELETE);
    } else if (places[lower].fatPage == 0) {
        MarkShare(higher, lower, SHARE_DELETE);
    } else {
        const EShare kind = PreviousRecordFree(higher, inUse, displaced) ? SHARE_ROLL_BACK : SHARE_UNRESOLVED;
        MarkShare(lower, higher, kind);
        MarkShare(higher, lower, kind);
    }
}

// A slot that shares blocks with more than one other is beyond what one cut operation leaves.
void CLooperSongTable::MarkShare(uint32_t slot, uint32_t partner, EShare kind)
{
    SShare &share = m_shares[slot];
    share.kind = share.partner >= 0 && share.partner != int32_t(partner) ? SHARE_UNRESOLVED : kind;
    share.partner = int32_t(partner);
}

// The record below a swap's copy names the song the copy displaced; it is brought back only when
// it is whole and no slot names its blocks.
bool CLooperSongTable::PreviousRecordFree(uint32_t slot, const UsedBlockMap &inUse,
                                          SSongPlace &previous) const
{
    const std::unique_ptr<CLooperSongBase> store = ScratchStore(slot);
    previous.infoBlock = store->InfoBlock();
    previous.fatPage = SongPlace(slot).fatPage - int32_t(store->RecordStep());
    UsedBlockMap blocks;
    return previous.fatPage >= 0 && store->ReadWholeRecord(previous.fatPage, previous.record) == RESULT_OK &&
           store->MarkRecordBlocks(previous.fatPage, blocks) == RESULT_OK && (blocks & inUse).none();
}

UsedBlockMap CLooperSongTable::LoadedBlocks(uint32_t slot) const
{
    UsedBlockMap blocks;
    if (m_slotResults[slot] == RESULT_OK && m_stores[slot]->HasSong())
        m_stores[slot]->MarkUsedBlocks(blocks);
    return blocks;
}

int32_t CLooperSongTable::SharedWith(uint32_t slot) const
{
    return slot < m_shares.size() ? m_shares[slot].partner : -1;
}

SSongPlace CLooperSongTable::SongPlace(uint32_t slot) const
{
    const CLooperSongBase *store = Store(slot);
    if (!store || slot >= m_slotResults.size())
        return SSongPlace();
    if (m_slotResults[slot] != RESULT_OK)
        return m_recoverable[slot];
    if (!store->HasSong())
        return SSongPlace();
    return SSongPlace{store->InfoBlock(), store->FatPage(), store->RecordBytes()};
}

int32_t CLooperSongTable::SeparateShared(uint32_t slot)
{
    const uint32_t partner = uint32_t(m_shares[slot].partner);
    if (m_shares[slot].kind == SHARE_ROLL_BACK)
        return RollBackCopy(std::min(slot, partner), std::max(slot, partner));
    const SSongPlace removed = SongPlace(slot);
    const int32_t erased = m_stores[slot]->ClearRecords();
    const int32_t loaded = LoadAttachedSlot(slot);
    if (erased != RESULT_OK)
        return erased;
    NoteMove(removed, partner);
    return loaded;
}

// The displaced record goes on the first free place of the higher slot, as a repair writes it;
// a lower slot whose own commit was torn is then repaired as any other.
int32_t CLooperSongTable::RollBackCopy(uint32_t lower, uint32_t higher)
{
    SSongPlace displaced;
    UsedBlockMap inUse;
    for (uint32_t slot = 0; slot < m_stores.size(); ++slot)
        inUse |= m_recoverableBlocks[slot];
    if (!PreviousRecordFree(higher, m_usedBlocks | inUse, displaced))
        return RESULT_BAD_SLOT;
    const SSongPlace copy = SongPlace(higher);
    int32_t result = m_stores[higher]->RewriteRecord(displaced.fatPage);
    result = LoadAfter(higher, result);
    if (result != RESULT_OK)
        return result;
    NoteMove(displaced, higher);
    NoteMove(copy, lower);
    // The copy's blocks are the lower slot's alone again.
    m_usedBlocks.reset();
    for (uint32_t slot = 0; slot < m_stores.size(); ++slot)
        m_usedBlocks |= LoadedBlocks(slot);
    return m_slotResults[lower] == RESULT_OK ? RESULT_OK : RepairRecord(lower);
}
