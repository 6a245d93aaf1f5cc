#include "SongFileHeader.h"

#include "ByteOrder.h"

#include <cstring>

namespace SongFileHeader {

uint32_t Size(uint32_t maxBlocks)
{
    return 2 * maxBlocks + 9;
}

uint16_t Sum(const uint8_t *fromStatus, uint32_t maxBlocks)
{
    uint32_t sum = 0;
    for (uint32_t i = 0; i < 2 * maxBlocks + 5; ++i)
        sum += fromStatus[i];
    return static_cast<uint16_t>(sum);
}

boost::shared_array<uint8_t> Build(uint32_t groupCount, const uint16_t *blocks, uint32_t count,
                                   uint32_t maxBlocks, uint8_t status)
{
    boost::shared_array<uint8_t> header(new uint8_t[Size(maxBlocks)]);
    uint8_t *bytes = header.get();
    std::memcpy(bytes, TAG, TAG_SIZE);
    bytes[2] = status;
    PutLE32(bytes + 3, groupCount);
    for (uint32_t k = 0; k < maxBlocks; ++k)
        PutLE16(bytes + 7 + 2 * k, k < count ? blocks[k] : 0xFFFF);
    PutLE16(bytes + 7 + 2 * maxBlocks, Sum(bytes + 2, maxBlocks));
    return header;
}

} // namespace SongFileHeader
