#include "StorageUse.h"

#include "CLooperSongTable.h"

uint32_t FreeBlockCount(const CLooperSongTable &table)
{
    const FlashGeometry &geometry = table.Geometry();
    uint32_t free = 0;
    for (uint32_t block = 0; block < geometry.dataBlockCount && block < MAX_BLOCK_NUMBER; ++block)
        free += table.UsedBlocks().test(block) ? 0 : 1;
    return free;
}

namespace {
QString FreeSpaceText(const CLooperSongTable &table)
{
    const FlashGeometry &geometry = table.Geometry();
    const uint32_t free = FreeBlockCount(table);
    const uint64_t bytes = uint64_t(free) * geometry.dataBytesPerPage * geometry.pagesPerBlock;
    const uint64_t bytesPerSecond = uint64_t(geometry.sampleRate) * (geometry.bitsPerSample / 8);
    const uint64_t seconds = bytesPerSecond ? bytes / bytesPerSecond : 0;
    return QString::asprintf("Free: %u of %u blocks, %.2f MB, %02llu:%02llu of mono audio", free,
                             geometry.dataBlockCount, double(bytes) / 1048576.0,
                             static_cast<unsigned long long>(seconds / 60),
                             static_cast<unsigned long long>(seconds % 60));
}
} // namespace

QString FreeSpaceLine(const CLooperSongTable &table)
{
    if (!table.HasDamagedSlot())
        return FreeSpaceText(table);
    return FreeSpaceText(table) + QStringLiteral(" (a damaged slot may own some of these blocks)");
}
