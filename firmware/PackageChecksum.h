#pragma once

#include <cstdint>

// Package header and data header checksum: the plain sum of the bytes, each taken unsigned.
inline uint32_t PackageChecksum(const uint8_t *bytes, uint32_t length)
{
    uint32_t sum = 0;
    for (uint32_t i = 0; i < length; ++i)
        sum += bytes[i];
    return sum;
}
