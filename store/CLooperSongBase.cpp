#include "CLooperSongBase.h"

#include "CEventBase.h"
#include "CUSBPort.h"
#include "CancelRequest.h"
#include "ResultCodes.h"

#include <QDebug>

#include <algorithm>
#include <cstring>

namespace {
// A device request that failed while a stop was asked for was cut short by it: the device did not fail.
int32_t DeviceFailure(int32_t result)
{
    return CancelRequested() ? RESULT_CANCELLED : result;
}
} // namespace

CLooperSongBase::CLooperSongBase() : m_nInfoBlock(0), m_geometry(), m_pPort(nullptr), m_bFatKnown(false) {}

CLooperSongBase::~CLooperSongBase() = default;

bool CLooperSongBase::HasSong() const
{
    return GetSize() != 0;
}

void CLooperSongBase::Attach(uint32_t infoBlock, const FlashGeometry &geometry, CUSBPort &port)
{
    m_nInfoBlock = infoBlock;
    m_geometry = geometry;
    m_pPort = &port;
}

uint32_t CLooperSongBase::BytesPerBlock() const
{
    return m_geometry.dataBytesPerPage * m_geometry.pagesPerBlock;
}

uint64_t CLooperSongBase::BlocksFor(uint64_t size) const
{
    const uint64_t perBlock = BytesPerBlock();
    return perBlock == 0 ? 0 : (size + perBlock - 1) / perBlock;
}

uint32_t CLooperSongBase::GetBlockCount() const
{
    return static_cast<uint32_t>(BlocksFor(GetSize()));
}

int32_t CLooperSongBase::Erase()
{
    if (!IsAttached())
        return RESULT_BAD_SLOT;
    if (CancelRequested())
        return RESULT_CANCELLED;
    return ClearRecords();
}

uint32_t CLooperSongBase::FatPageAddress(uint32_t page) const
{
    return PageAddress(m_geometry, m_nInfoBlock, page);
}

bool CLooperSongBase::ReadFat(uint32_t page, uint32_t offset, uint8_t *destination, uint32_t length)
{
    return m_pPort->ReadData(SONG_AREA, FatPageAddress(page) + offset, destination, length);
}

bool CLooperSongBase::EraseFatBlock()
{
    const CCommitGuard commit;
    ++m_changes.begun;
    return m_pPort->EraseSector(SONG_AREA, FatPageAddress(0));
}

// The first block of a song starts at its last page, then fills pages 0, 1, ...; later blocks
// run in page order.
uint32_t CLooperSongBase::PageInOrder(uint32_t n, bool firstBlock) const
{
    if (!firstBlock)
        return n;
    return n == 0 ? m_geometry.pagesPerBlock - 1 : n - 1;
}

uint32_t CLooperSongBase::SongPageAddress(uint32_t n) const
{
    const uint32_t k = n / m_geometry.pagesPerBlock;
    return PageAddress(m_geometry, BlockAt(k), PageInOrder(n % m_geometry.pagesPerBlock, k == 0));
}

bool CLooperSongBase::LoadedBlocksValid() const
{
    const uint32_t count = GetBlockCount();
    for (uint32_t k = 0; k < count; ++k) {
        if (BlockAt(k) >= m_geometry.dataBlockCount)
            return false;
    }
    return true;
}

void CLooperSongBase::MarkLoadedBlocks(UsedBlockMap &usedBlocks) const
{
    const uint32_t count = GetBlockCount();
    for (uint32_t k = 0; k < count; ++k)
        usedBlocks.set(BlockAt(k));
}

int32_t CLooperSongBase::Read(uint8_t *destination, uint32_t capacity, QObject *progressTarget)
{
    if (!IsAttached())
        return RESULT_BAD_SLOT;
    const uint32_t size = GetSize();
    if (capacity < size || (destination == nullptr && size != 0))
        return RESULT_SPACE_NOT_ENOUGH;
    const uint32_t pageBytes = m_geometry.dataBytesPerPage;
    const uint32_t blockCount = GetBlockCount();
    boost::shared_array<uint8_t> page(new uint8_t[pageBytes]);
    uint32_t pos = 0;
    for (uint32_t k = 0; k < blockCount && pos < size; ++k) {
        qDebug("Read file block=%d\n", BlockAt(k));
        for (uint32_t n = 0; n < m_geometry.pagesPerBlock && pos < size; ++n) {
            const uint32_t address = SongPageAddress(k * m_geometry.pagesPerBlock + n);
            if (CancelRequested())
                return RESULT_CANCELLED;
            if (!m_pPort->ReadData(SONG_AREA, address, page.get(), pageBytes))
                return DeviceFailure(RESULT_READ_FAILED);
            const uint32_t count = std::min(size - pos, pageBytes);
            std::memcpy(destination + pos, page.get(), count);
            pos += count;
            // The last page of the song posts nothing: the caller's result ends the transfer.
            if (pos < size && progressTarget)
                PostProgress(progressTarget, pos, size);
        }
    }
    return RESULT_OK;
}

int32_t CLooperSongBase::CheckWriteRequest(const SBlockList &blocks, const uint8_t *bytes,
                                           uint32_t length) const
{
    if (!IsAttached())
        return RESULT_BAD_SLOT;
    if (length == 0 || bytes == nullptr)
        return RESULT_WRITE_FAILED;
    const uint64_t needed = BlocksFor(length);
    if (needed > m_geometry.maxBlocksPerSong)
        return RESULT_FILE_TOO_LARGE;
    if (needed > blocks.count || !blocks.blocks)
        return RESULT_SPACE_NOT_ENOUGH;
    for (uint32_t k = 0; k < needed; ++k) {
        if (blocks.blocks[k] >= m_geometry.dataBlockCount)
            return RESULT_WRITE_FAILED;
    }
    return RESULT_OK;
}

int32_t CLooperSongBase::WriteSongData(const SBlockList &blocks, const uint8_t *bytes, uint32_t length,
                                       QObject *progressTarget)
{
    uint32_t pos = 0;
    for (uint32_t k = 0; pos < length; ++k) {
        const int32_t result = WriteBlock(blocks.blocks[k], k == 0, bytes, length, pos);
        if (result != RESULT_OK)
            return result;
        if (progressTarget)
            PostProgress(progressTarget, pos, length);
    }
    // The record that makes the new song the slot's is only written when nobody asked to stop.
    return CancelRequested() ? RESULT_CANCELLED : RESULT_OK;
}

int32_t CLooperSongBase::WriteBlock(uint16_t block, bool firstBlock, const uint8_t *bytes, uint32_t length,
                                    uint32_t &pos)
{
    qDebug("Write file block=%d\n", block);
    if (CancelRequested())
        return RESULT_CANCELLED;
    if (!m_pPort->EraseSector(SONG_AREA, PageAddress(m_geometry, block, 0)))
        return DeviceFailure(RESULT_FLASH_ERASE_FAILED);
    for (uint32_t n = 0; n < m_geometry.pagesPerBlock && pos < length; ++n) {
        const uint32_t count = std::min(length - pos, m_geometry.dataBytesPerPage);
        const uint32_t address = PageAddress(m_geometry, block, PageInOrder(n, firstBlock));
        if (CancelRequested())
            return RESULT_CANCELLED;
        if (!WriteGroups(address, bytes + pos, count))
            return DeviceFailure(RESULT_WRITE_FAILED);
        pos += count;
    }
    return RESULT_OK;
}

// Pages hold whole groups: a short last page is completed with zero bytes.
bool CLooperSongBase::WriteGroups(uint32_t address, const uint8_t *data, uint32_t count)
{
    const uint32_t group = m_geometry.groupSize;
    const uint32_t padded = (count + group - 1) / group * group;
    if (padded == count)
        return WritePage(address, data, count);
    boost::shared_array<uint8_t> buffer(new uint8_t[padded]());
    std::memcpy(buffer.get(), data, count);
    return WritePage(address, buffer.get(), padded);
}
