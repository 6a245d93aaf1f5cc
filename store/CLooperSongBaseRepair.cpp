#include "CLooperSongBase.h"

#include "CUSBPort.h"
#include "CancelRequest.h"
#include "RecordPlace.h"
#include "ResultCodes.h"

#include <algorithm>
#include <vector>

// One record place of a FAT block, as read back.
struct SRecordPlace {
    bool freePlace;
    bool inUse;
    bool whole;
    std::vector<uint8_t> bytes;
};

namespace {
using Places = std::vector<SRecordPlace>;

bool IsWhole(const SRecordPlace &place)
{
    return place.whole;
}
bool IsFree(const SRecordPlace &place)
{
    return place.freePlace;
}
// Neither free nor in use: its second byte erased, later ones not. Programming runs in byte order,
// so only a torn FAT block erase leaves such a place.
bool IsScrambled(const SRecordPlace &place)
{
    return !place.freePlace && !place.inUse;
}

// Programming that stops part way leaves a prefix of the record's bytes, then one byte with some
// of its bits cleared, the rest erased: every bit the whole record keeps set is still set.
bool PartOf(const SRecordPlace &torn, const SRecordPlace &whole)
{
    return std::equal(
        torn.bytes.begin(), torn.bytes.end(), whole.bytes.begin(),
        [](uint8_t tornByte, uint8_t wholeByte) { return (tornByte & wholeByte) == wholeByte; });
}

bool AllPartOf(Places::const_iterator from, Places::const_iterator end, const SRecordPlace &whole)
{
    return std::all_of(from, end, [&](const SRecordPlace &place) { return PartOf(place, whole); });
}

// The tears above a whole record: the torn commit, then what repairs cut by a power loss left of
// their copy of that record. Above a record that a swap copied in, they may instead all be what a
// cut left of the record below it, which the repair of the swap writes again.
bool TornRunAfter(Places::const_iterator first, Places::const_iterator whole, Places::const_iterator end)
{
    if (AllPartOf(whole + 2, end, *whole))
        return true;
    return whole != first && IsWhole(*(whole - 1)) && AllPartOf(whole + 1, end, *(whole - 1));
}

// A repair leaves the tears below its copy of the whole record before them, the repair of a swap
// below its copy of the record before the one the swap copied in. Whole records with only such
// tears between them are a history of commits and repairs.
bool OnlyRepairedTears(Places::const_iterator first, Places::const_iterator newestWhole)
{
    if (!IsWhole(*first))
        return false;
    for (auto place = first; place != newestWhole;) {
        const auto next = std::find_if(place + 1, newestWhole + 1, IsWhole);
        const bool copy =
            next->bytes == place->bytes || (place != first && next->bytes == (place - 1)->bytes);
        if (next != place + 1 && (!copy || !TornRunAfter(first, place, next)))
            return false;
        place = next;
    }
    return true;
}
} // namespace

int32_t CLooperSongBase::WriteRecord(uint32_t page, const uint8_t *record)
{
    const CCommitGuard commit;
    ++m_changes.begun;
    if (!m_pPort->WriteData(SONG_AREA, FatPageAddress(page), record, RecordSize(), nullptr))
        return RESULT_WRITE_FAILED;
    ++m_changes.done;
    return RESULT_OK;
}

int32_t CLooperSongBase::CheckNextRecordErased(int32_t page)
{
    const uint32_t next = page < 0 ? 0 : uint32_t(page) + RecordStep();
    if (next >= m_geometry.pagesPerBlock)
        return RESULT_OK;
    std::vector<uint8_t> record(RecordSize());
    if (!ReadFat(next, 0, record.data(), RecordSize()))
        return RESULT_READ_FAILED;
    return RecordPlaceFree(record.data(), RecordSize()) ? RESULT_OK : RESULT_CHECKSUM_ERROR;
}

bool CLooperSongBase::ReadRecordPlaces(std::vector<SRecordPlace> &places)
{
    for (uint32_t page = 0; page < m_geometry.pagesPerBlock; page += RecordStep()) {
        std::vector<uint8_t> record(RecordSize());
        if (!ReadFat(page, 0, record.data(), RecordSize()))
            return false;
        const bool freePlace = RecordPlaceFree(record.data(), RecordSize());
        const bool inUse = RecordPlaceInUse(record.data());
        const bool whole = inUse && RecordWhole(record.data());
        places.push_back({freePlace, inUse, whole, std::move(record)});
    }
    return true;
}

// Records are programmed one after another (the legacy layout may leave page 0 unused), so a torn
// commit leaves: free places, whole records (with the tears of earlier repairs), the torn newest
// one (and what a cut repair left of its copy), free places. A torn FAT block erase scatters damage
// over the whole block instead, and nothing there can be trusted. The copy a repair writes goes on
// the first free place, so every place below it is in use and every one above it free: the next
// load's search finds it.
int32_t CLooperSongBase::FindRecoverablePage()
{
    Places places;
    if (!IsAttached() || !ReadRecordPlaces(places) ||
        std::any_of(places.cbegin(), places.cend(), IsScrambled))
        return -1;
    const auto first = std::find_if_not(places.cbegin(), places.cend(), IsFree);
    const auto end = std::find_if(first, places.cend(), IsFree);
    if (first == end || !std::all_of(end, places.cend(), IsFree) || IsWhole(*(end - 1)))
        return -1;
    const auto newestWhole =
        std::find_if(std::make_reverse_iterator(end), std::make_reverse_iterator(first), IsWhole);
    if (newestWhole.base() == first)
        return -1;
    const auto whole = newestWhole.base() - 1;
    if (!TornRunAfter(first, whole, end) || !OnlyRepairedTears(first, whole))
        return -1;
    return int32_t(std::distance(places.cbegin(), whole) * RecordStep());
}

// The record goes on the first free place above the torn ones, or at page 0 of the freshly erased
// FAT block when there is none.
int32_t CLooperSongBase::RewriteRecord(int32_t page)
{
    Places places;
    if (!IsAttached() || page < 0 || uint32_t(page) >= m_geometry.pagesPerBlock)
        return RESULT_BAD_SLOT;
    if (!ReadRecordPlaces(places))
        return RESULT_READ_FAILED;
    const auto whole = places.cbegin() + page / int32_t(RecordStep());
    const auto above = std::find_if(whole, places.cend(), IsFree);
    if (above == places.cend() && !EraseFatBlock())
        return RESULT_FLASH_ERASE_FAILED;
    const uint32_t target = above == places.cend() ? 0 : uint32_t(above - places.cbegin()) * RecordStep();
    return WriteRecord(target, whole->bytes.data());
}
