#include "CLooperSongFile.h"

#include "ByteOrder.h"
#include "CUSBPort.h"
#include "RecordPlace.h"
#include "ResultCodes.h"
#include "SongFileHeader.h"

#include <QDebug>

#include <cstring>

CLooperSongFile::CLooperSongFile() : m_nFatPage(-1), m_nStatus(SongFileHeader::WRITTEN_STATUS), m_nSize(0) {}

void CLooperSongFile::Reset()
{
    m_nSize = 0;
    m_nFatPage = -1;
    m_blocks.reset();
    m_bFatKnown = false;
}

void CLooperSongFile::MarkUsedBlocks(UsedBlockMap &usedBlocks)
{
    if (m_nSize == 0)
        return;
    usedBlocks.reset();
    MarkLoadedBlocks(usedBlocks);
}

bool CLooperSongFile::WritePage(uint32_t address, const uint8_t *data, uint32_t length)
{
    return m_pPort->WriteData(SONG_AREA, address, data, length, nullptr);
}

// Pages in use form a run from page 0: the highest one holds the newest record, whole or torn.
int32_t CLooperSongFile::FindFatPage(int32_t low, int32_t high)
{
    while (low != high) {
        qDebug("Find between %d ~ %d; ", low, high);
        const int32_t mid = (low + high + 1) / 2;
        uint8_t tag[SongFileHeader::TAG_SIZE];
        if (!ReadFat(static_cast<uint32_t>(mid), 0, tag, SongFileHeader::TAG_SIZE))
            return -1;
        if (RecordPlaceInUse(tag)) {
            qDebug("%d used\n", mid);
            low = mid;
        } else {
            qDebug("%d not used\n", mid);
            high = mid - 1;
        }
    }
    qDebug("Find finished=%d\n", low);
    return low;
}

int32_t CLooperSongFile::Load(UsedBlockMap &usedBlocks)
{
    Reset();
    uint8_t tag[SongFileHeader::TAG_SIZE];
    if (!ReadFat(0, 0, tag, SongFileHeader::TAG_SIZE))
        return RESULT_READ_FAILED;
    const bool empty = !RecordPlaceInUse(tag);
    const int32_t page = empty ? -1 : FindFatPage(0, static_cast<int32_t>(m_geometry.pagesPerBlock) - 1);
    if (!empty && page < 0)
        return RESULT_READ_FAILED;
    const int32_t result = empty ? CheckNextRecordErased(page) : ReadHeader(page);
    if (result != RESULT_OK || empty) {
        // An empty-looking block may still hold, past its first records, what an erase cut by a
        // power loss left: the first song written there erases the block before its record.
        m_bFatKnown = false;
        return result;
    }
    const int32_t rest = CheckNextRecordErased(page);
    if (rest != RESULT_OK) {
        Reset();
        return rest;
    }
    MarkLoadedBlocks(usedBlocks);
    m_bFatKnown = true;
    return RESULT_OK;
}

// Flash content is not trusted: a header whose sum matches but whose length or blocks lie
// outside the model's storage counts as damaged, like one whose sum does not match.
int32_t CLooperSongFile::ReadHeader(int32_t page)
{
    const uint32_t maxBlocks = m_geometry.maxBlocksPerSong;
    const uint32_t length = SongFileHeader::Size(maxBlocks) - SongFileHeader::TAG_SIZE;
    boost::shared_array<uint8_t> header(new uint8_t[length]);
    if (!ReadFat(static_cast<uint32_t>(page), SongFileHeader::TAG_SIZE, header.get(), length))
        return RESULT_READ_FAILED;
    if (SongFileHeader::Sum(header.get(), maxBlocks) != GetLE16(header.get() + length - 2))
        return RESULT_CHECKSUM_ERROR;
    const uint32_t groupCount = GetLE32(header.get() + 1);
    if (!HeaderSizeValid(groupCount))
        return RESULT_CHECKSUM_ERROR;
    boost::shared_array<uint16_t> blocks(new uint16_t[maxBlocks]);
    for (uint32_t k = 0; k < maxBlocks; ++k)
        blocks[k] = static_cast<uint16_t>(GetLE16(header.get() + 5 + 2 * k));
    m_blocks = blocks;
    m_nSize = groupCount * m_geometry.groupSize;
    if (!LoadedBlocksValid()) {
        Reset();
        return RESULT_CHECKSUM_ERROR;
    }
    m_nStatus = header[0];
    m_nFatPage = page;
    return RESULT_OK;
}

uint32_t CLooperSongFile::RecordSize() const
{
    return SongFileHeader::Size(m_geometry.maxBlocksPerSong);
}

bool CLooperSongFile::RecordWhole(const uint8_t *record) const
{
    const uint32_t maxBlocks = m_geometry.maxBlocksPerSong;
    return std::memcmp(record, SongFileHeader::TAG, SongFileHeader::TAG_SIZE) == 0 &&
           SongFileHeader::Sum(record + SongFileHeader::TAG_SIZE, maxBlocks) ==
               GetLE16(record + RecordSize() - 2);
}

int32_t CLooperSongFile::MarkRecordBlocks(int32_t page, UsedBlockMap &blocks)
{
    const int32_t result = ReadHeader(page);
    if (result == RESULT_OK)
        MarkLoadedBlocks(blocks);
    Reset();
    return result;
}

bool CLooperSongFile::HeaderSizeValid(uint32_t groupCount) const
{
    const uint64_t size = static_cast<uint64_t>(groupCount) * m_geometry.groupSize;
    return BlocksFor(size) <= m_geometry.maxBlocksPerSong;
}

int32_t CLooperSongFile::Write(const SBlockList &blocks, const uint8_t *bytes, uint32_t length,
                               QObject *progressTarget)
{
    int32_t result = CheckWriteRequest(blocks, bytes, length);
    // The header keeps whole groups only: a song shorter than one group would read back empty.
    if (result == RESULT_OK && length < m_geometry.groupSize)
        result = RESULT_WRITE_FAILED;
    if (result != RESULT_OK)
        return result;
    result = WriteSongData(blocks, bytes, length, progressTarget);
    if (result != RESULT_OK)
        return result;
    return CommitHeader(blocks, length);
}

int32_t CLooperSongFile::CommitHeader(const SBlockList &blocks, uint32_t length)
{
    const uint32_t maxBlocks = m_geometry.maxBlocksPerSong;
    const uint32_t used = static_cast<uint32_t>(BlocksFor(length));
    uint32_t page = static_cast<uint32_t>(m_nFatPage + 1);
    if (!m_bFatKnown || page >= m_geometry.pagesPerBlock) {
        if (!EraseFatBlock())
            return RESULT_FLASH_ERASE_FAILED;
        page = 0;
    }
    const boost::shared_array<uint8_t> header =
        SongFileHeader::Build(length / m_geometry.groupSize, blocks.blocks.get(), used, maxBlocks);
    const int32_t written = WriteRecord(page, header.get());
    if (written != RESULT_OK) {
        // The page may be half programmed now: the next record goes to a freshly erased block.
        m_bFatKnown = false;
        return written;
    }
    boost::shared_array<uint16_t> list(new uint16_t[maxBlocks]);
    for (uint32_t k = 0; k < maxBlocks; ++k)
        list[k] = static_cast<uint16_t>(GetLE16(header.get() + 7 + 2 * k));
    m_blocks = list;
    m_nSize = length;
    m_nStatus = SongFileHeader::WRITTEN_STATUS;
    m_nFatPage = static_cast<int32_t>(page);
    m_bFatKnown = true;
    qDebug("File FAT Page=%d\n", m_nFatPage);
    return RESULT_OK;
}
