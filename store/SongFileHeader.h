#pragma once

#include <boost/shared_array.hpp>

#include <cstdint>

// The file-table FAT record: "HD", status byte, u32 group count, maxBlocks u16 block numbers and a
// u16 sum over everything between the tag and the sum. All fields little-endian.
namespace SongFileHeader {

const uint8_t TAG[2] = {0x48, 0x44};
const uint32_t TAG_SIZE = 2;
const uint8_t WRITTEN_STATUS = 0xFF;

uint32_t Size(uint32_t maxBlocks);
// The sum over `2 * maxBlocks + 5` bytes starting at the status byte.
uint16_t Sum(const uint8_t *fromStatus, uint32_t maxBlocks);
// A whole header; block entries past `count` are 0xFFFF.
boost::shared_array<uint8_t> Build(uint32_t groupCount, const uint16_t *blocks, uint32_t count,
                                   uint32_t maxBlocks, uint8_t status = WRITTEN_STATUS);

} // namespace SongFileHeader
