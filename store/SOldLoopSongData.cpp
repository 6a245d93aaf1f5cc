#include "SOldLoopSongData.h"

#include "ByteOrder.h"

#include <cstring>

namespace {
const char LOOPER_TAG[6] = {'l', 'o', 'o', 'p', 'e', 'r'};
} // namespace

bool SOldLoopSongData::IsValid() const
{
    return std::memcmp(tag, LOOPER_TAG, sizeof(LOOPER_TAG)) == 0 && tagEnd == 0x00;
}

bool SOldLoopSongData::IsTorn() const
{
    const bool closed = std::memcmp(closingTag, LOOPER_TAG, sizeof(LOOPER_TAG)) == 0 && closingTagEnd == 0x00;
    return tag[0] == LOOPER_TAG[0] && tag[1] == LOOPER_TAG[1] && !closed;
}

uint32_t SOldLoopSongData::LastBlock() const
{
    return GetLE16(lastBlock);
}

uint16_t SOldLoopSongData::Block(uint32_t k) const
{
    return static_cast<uint16_t>(GetLE16(blocks + 2 * k));
}

void SOldLoopSongData::SetBlock(uint32_t k, uint16_t block)
{
    PutLE16(blocks + 2 * k, block);
}

void SOldLoopSongData::Build(uint32_t lastBlockOrdinal, uint8_t lastPageOrdinal, uint8_t lastGroupOrdinal)
{
    std::memset(this, 0xFF, sizeof(*this));
    std::memcpy(tag, LOOPER_TAG, sizeof(LOOPER_TAG));
    tagEnd = 0x00;
    one = 0x01;
    PutLE16(reserved, 0x0000);
    PutLE16(lastBlock, lastBlockOrdinal);
    lastPage = lastPageOrdinal;
    lastGroup = lastGroupOrdinal;
    std::memcpy(closingTag, LOOPER_TAG, sizeof(LOOPER_TAG));
    closingTagEnd = 0x00;
}
