#include "CLooperSongTable.h"

#include "CancelRequest.h"
#include "ResultCodes.h"

#include <algorithm>

namespace {
// A swap writes one record on each slot's FAT block, and leaves one more free place on each for
// the record a repair writes after a cut: no song then needs a FAT block erased to come back.
const uint32_t SWAP_PLACES = 2;
} // namespace

int32_t CLooperSongTable::CheckArrangement(uint32_t first, uint32_t second) const
{
    int32_t result = CheckSlot(first);
    if (result == RESULT_OK)
        result = CheckSlot(second);
    if (result != RESULT_OK)
        return result;
    if (first == second || !m_stores[first]->IsAttached() || !m_stores[second]->IsAttached())
        return RESULT_BAD_SLOT;
    for (uint32_t slot = 0; slot < m_stores.size(); ++slot) {
        if (SlotLoadResult(slot) != RESULT_OK)
            return SlotLoadResult(slot);
    }
    return RESULT_OK;
}

bool CLooperSongTable::SwapFits(uint32_t first, uint32_t second, uint32_t &fullSlot) const
{
    const uint32_t lower = std::min(first, second);
    const uint32_t higher = std::max(first, second);
    const bool lowerAlone = m_stores[lower]->FatPage() == 0;
    if (m_stores[lower]->FreeRecordPlaces() < SWAP_PLACES + (lowerAlone ? 1 : 0)) {
        fullSlot = lower;
        return false;
    }
    fullSlot = higher;
    return m_stores[higher]->FreeRecordPlaces() >= SWAP_PLACES;
}

// Loads the slot after a change. A looper that failed the change is asked nothing more while the
// work holds off stop requests: the slot counts as unread, with the change's result, until the
// next load.
int32_t CLooperSongTable::LoadAfter(uint32_t slot, int32_t result)
{
    if (result == RESULT_OK)
        return LoadAttachedSlot(slot);
    m_slotResults[slot] = result;
    m_recoverable[slot] = SSongPlace();
    m_recoverableBlocks[slot].reset();
    return result;
}

void CLooperSongTable::NoteMove(const SSongPlace &from, uint32_t to)
{
    const SSongPlace place = SongPlace(to);
    if (m_pObserver && from.IsValid() && place.IsValid())
        m_pObserver->SongMoved(from, place);
}

// The slot holds the song once its loaded record is the one written, byte for byte: only then may
// the song's other record go.
int32_t CLooperSongTable::ConfirmCopy(const SSongPlace &song, uint32_t slot, int32_t written)
{
    const int32_t result = LoadAfter(slot, written);
    if (result != RESULT_OK)
        return result;
    if (SongPlace(slot).record != song.record)
        return RESULT_WRITE_FAILED;
    NoteMove(song, slot);
    return RESULT_OK;
}

int32_t CLooperSongTable::AppendCopy(const SSongPlace &song, uint32_t slot)
{
    return ConfirmCopy(song, slot, m_stores[slot]->AppendRecord(song.record));
}

// The target's FAT block is erased first, so the copy lies alone on its first place, then the
// source's: a cut in between leaves the song in both slots, which repair tells apart.
int32_t CLooperSongTable::MoveSong(uint32_t from, uint32_t to)
{
    int32_t result = CheckArrangement(from, to);
    if (result == RESULT_OK && !m_stores[from]->HasSong())
        result = RESULT_BAD_SLOT;
    if (result != RESULT_OK)
        return result;
    const CCommitGuard commit;
    const SSongPlace song = SongPlace(from);
    result = m_stores[to]->ClearRecords();
    if (result == RESULT_OK && m_pObserver && m_stores[to]->HasSong())
        m_pObserver->SongErased(to);
    if (result == RESULT_OK)
        result = m_stores[to]->WriteFirstRecord(song.record);
    result = ConfirmCopy(song, to, result);
    if (result == RESULT_OK)
        result = LoadAfter(from, m_stores[from]->ClearRecords());
    FindSharedSongs();
    return result;
}

// The lower slot's record goes onto the higher slot first, over the higher slot's own record,
// which is then written onto the lower slot.
int32_t CLooperSongTable::SwapSongs(uint32_t first, uint32_t second)
{
    int32_t result = CheckArrangement(first, second);
    if (result == RESULT_OK && m_stores[first]->HasSong() != m_stores[second]->HasSong())
        return m_stores[first]->HasSong() ? MoveSong(first, second) : MoveSong(second, first);
    if (result == RESULT_OK && !m_stores[first]->HasSong())
        result = RESULT_BAD_SLOT;
    uint32_t fullSlot = 0;
    if (result == RESULT_OK && !SwapFits(first, second, fullSlot))
        result = RESULT_SPACE_NOT_ENOUGH;
    if (result != RESULT_OK)
        return result;
    const CCommitGuard commit;
    const uint32_t lower = std::min(first, second);
    const uint32_t higher = std::max(first, second);
    const SSongPlace higherSong = SongPlace(higher);
    if (m_stores[lower]->FatPage() == 0)
        result = AppendCopy(SongPlace(lower), lower);
    if (result == RESULT_OK)
        result = AppendCopy(SongPlace(lower), higher);
    if (result == RESULT_OK)
        result = AppendCopy(higherSong, lower);
    FindSharedSongs();
    return result;
}
