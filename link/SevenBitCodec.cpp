#include "SevenBitCodec.h"

uint32_t PackedLength(uint32_t bodyLength)
{
    return static_cast<uint32_t>((static_cast<uint64_t>(bodyLength) * 8 + 6) / 7);
}

uint32_t PackSevenBit(const uint8_t *body, uint32_t length, uint8_t *wire)
{
    uint32_t bits = 0;
    uint32_t pending = 0;
    uint32_t count = 0;
    for (uint32_t i = 0; i < length; ++i) {
        bits |= static_cast<uint32_t>(body[i]) << pending;
        pending += 8;
        while (pending >= 7) {
            wire[count++] = static_cast<uint8_t>(bits & 0x7F);
            bits >>= 7;
            pending -= 7;
        }
    }
    if (pending > 0)
        wire[count++] = static_cast<uint8_t>(bits & 0x7F);
    return count;
}
