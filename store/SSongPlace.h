#pragma once

#include <cstdint>
#include <vector>

// Where a song's record lies on the flash, with the record's bytes: together they tell one song
// from any other, so what the computer keeps about a song (its name, its waveform) is found by them.
struct SSongPlace {
    uint32_t infoBlock = 0;
    int32_t fatPage = -1;
    std::vector<uint8_t> record;

    bool IsValid() const { return !record.empty(); }
};
