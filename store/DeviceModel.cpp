#include "DeviceModel.h"

namespace {

const FlashGeometry PULSE_RIG_GEOMETRY = {0, 1970, 160, 0x40000, 4096, 64, 4032, 46875, 1, 24, 192};
const FlashGeometry CORVEL_SOLO_GEOMETRY = {0, 1980, 650, 0x20000, 2048, 64, 2046, 46875, 1, 24, 186};
const FlashGeometry CORVEL_DOUBLE_GEOMETRY = {0, 1980, 650, 0x20000, 4096, 32, 4092, 46875, 2, 24, 372};

// The first row is also what a device matches whose identity could not be read: the link holds
// 0xFFFFFFFF until then.
const DeviceModel MODEL_TABLE[] = {
    {0xFFFFFFFF, "Unknown Device", 0, STORE_NONE, nullptr},
    {10002, "PULSE RIG", 30, STORE_FILE_TABLE, &PULSE_RIG_GEOMETRY},
    {10003, "Corvel Solo", 1, STORE_LEGACY, &CORVEL_SOLO_GEOMETRY},
    {10004, "Corvel Double", 1, STORE_LEGACY, &CORVEL_DOUBLE_GEOMETRY},
};

} // namespace

const DeviceModel *FindDeviceModel(uint32_t productId)
{
    for (const DeviceModel &model : MODEL_TABLE) {
        if (model.productId == productId)
            return &model;
    }
    return nullptr;
}

uint32_t PageAddress(const FlashGeometry &geometry, uint32_t block, uint32_t page)
{
    return geometry.baseAddress + block * geometry.blockSize + page * geometry.pageSize;
}

uint64_t LongestSongBytes(const FlashGeometry &geometry)
{
    return uint64_t(geometry.maxBlocksPerSong) * geometry.pagesPerBlock * geometry.dataBytesPerPage;
}

uint32_t FrameBytes(const FlashGeometry &geometry)
{
    return geometry.channels * (geometry.bitsPerSample / 8);
}
