#pragma once

#include <cstdint>

// The body of a WAVE "fmt " chunk, held as exactly its 18 little-endian bytes.
#pragma pack(push, 1)
struct WaveFormat {
    uint16_t formatTag;
    uint16_t channels;
    uint32_t samplesPerSec;
    uint32_t avgBytesPerSec;
    uint16_t blockAlign;
    uint16_t bitsPerSample;
    uint16_t extraSize;
};
#pragma pack(pop)
static_assert(sizeof(WaveFormat) == 18, "WaveFormat must be the 18 bytes of the fmt chunk");

const uint32_t TARGET_RATE_UPLOAD = 48000;
const uint32_t TARGET_RATE_DOWNLOAD = 46875;

// 24-bit mono PCM at the given rate: what Convert produces.
WaveFormat TargetFormat(uint32_t samplesPerSec);
