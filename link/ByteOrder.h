#pragma once

#include <cstdint>

// Little-endian fields of frames, flash records and files.
inline void PutLE16(uint8_t *to, uint32_t value)
{
    to[0] = static_cast<uint8_t>(value);
    to[1] = static_cast<uint8_t>(value >> 8);
}

inline void PutLE24(uint8_t *to, uint32_t value)
{
    PutLE16(to, value);
    to[2] = static_cast<uint8_t>(value >> 16);
}

inline void PutLE32(uint8_t *to, uint32_t value)
{
    PutLE24(to, value);
    to[3] = static_cast<uint8_t>(value >> 24);
}

inline uint32_t GetLE16(const uint8_t *from)
{
    return static_cast<uint32_t>(from[0]) | static_cast<uint32_t>(from[1]) << 8;
}

inline uint32_t GetLE24(const uint8_t *from)
{
    return GetLE16(from) | static_cast<uint32_t>(from[2]) << 16;
}

inline uint32_t GetLE32(const uint8_t *from)
{
    return GetLE24(from) | static_cast<uint32_t>(from[3]) << 24;
}
