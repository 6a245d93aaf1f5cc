#pragma once

#include <algorithm>
#include <cstdint>

// Every record of a layout starts with the same byte, so a commit cut right after it leaves a place
// that a later record can still be programmed over: a record place is in use once its second byte
// is programmed, and free while everything past its first byte is erased. The load's search for the
// newest record and the repair's walk over the FAT block decide by these two rules alone, so that
// the record a repair writes is the one the next load finds.
inline bool RecordPlaceInUse(const uint8_t *record)
{
    return record[1] != 0xFF;
}

inline bool RecordPlaceFree(const uint8_t *record, uint32_t size)
{
    return std::all_of(record + 1, record + size, [](uint8_t byte) { return byte == 0xFF; });
}
