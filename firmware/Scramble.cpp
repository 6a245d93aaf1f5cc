#include "Scramble.h"

#include <cstring>

void Scramble(uint8_t *bytes, uint32_t length, uint8_t key)
{
    uint64_t wideKey;
    std::memset(&wideKey, key, sizeof wideKey);
    uint32_t i = 0;
    for (; i + 16 <= length; i += 16) {
        uint64_t words[2];
        std::memcpy(words, bytes + i, sizeof words);
        words[0] ^= wideKey;
        words[1] ^= wideKey;
        std::memcpy(bytes + i, words, sizeof words);
    }
    for (; i < length; ++i)
        bytes[i] ^= key;
}
