#pragma once

#include <cstdint>

// Flash layout and sample format of one looper model's song storage (memory area 1).
struct FlashGeometry {
    uint32_t baseAddress;
    uint32_t dataBlockCount;
    uint32_t maxBlocksPerSong;
    uint32_t blockSize;
    uint32_t pageSize;
    uint32_t pagesPerBlock;
    uint32_t dataBytesPerPage;
    uint32_t sampleRate;
    uint32_t channels;
    uint32_t bitsPerSample;
    uint32_t groupSize;
};

enum : uint32_t {
    STORE_LEGACY = 0,
    STORE_FILE_TABLE = 1,
    STORE_NONE = 2,
};

struct DeviceModel {
    uint32_t productId;
    char name[64];
    uint32_t songSlots;
    uint32_t storeKind;
    const FlashGeometry *geometry;
};

// Every block number the song storage handles stays below this (the size of the used-block map).
const uint32_t MAX_BLOCK_NUMBER = 3000;

// The first row whose product id matches, in table order, or null.
const DeviceModel *FindDeviceModel(uint32_t productId);

// The most song bytes one slot holds: every block a song may have, full.
uint64_t LongestSongBytes(const FlashGeometry &geometry);
// Bytes of one frame: one sample per channel.
uint32_t FrameBytes(const FlashGeometry &geometry);

// Byte address in area 1 of page `page` of block `block`.
uint32_t PageAddress(const FlashGeometry &geometry, uint32_t block, uint32_t page);
