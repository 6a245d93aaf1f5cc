#include "CLooperSongFile.h"
#include "CLooperSongOld.h"
#include "CUSBPort.h"
#include "ResultCodes.h"
#include "SongFileHeader.h"

int32_t CLooperSongBase::ReadSongPage(uint32_t n, uint32_t offset, uint8_t *destination, uint32_t length)
{
    if (!IsAttached() || m_geometry.pagesPerBlock == 0)
        return RESULT_BAD_SLOT;
    const uint32_t k = n / m_geometry.pagesPerBlock;
    if (k >= GetBlockCount() || offset > m_geometry.dataBytesPerPage ||
        length > m_geometry.dataBytesPerPage - offset)
        return RESULT_BAD_SLOT;
    const uint32_t page = PageInOrder(n % m_geometry.pagesPerBlock, k == 0);
    const uint32_t address = PageAddress(m_geometry, BlockAt(k), page) + offset;
    return m_pPort->ReadData(SONG_AREA, address, destination, length) ? RESULT_OK : RESULT_READ_FAILED;
}

// The header as it lies on the flash: what the load kept of it, with its tag and sum.
std::vector<uint8_t> CLooperSongFile::RecordBytes() const
{
    if (m_nSize == 0 || !m_blocks || m_geometry.groupSize == 0)
        return {};
    const uint32_t maxBlocks = m_geometry.maxBlocksPerSong;
    const boost::shared_array<uint8_t> header = SongFileHeader::Build(
        m_nSize / m_geometry.groupSize, m_blocks.get(), maxBlocks, maxBlocks, m_nStatus);
    return std::vector<uint8_t>(header.get(), header.get() + SongFileHeader::Size(maxBlocks));
}

std::vector<uint8_t> CLooperSongOld::RecordBytes() const
{
    if (!m_record.IsValid())
        return {};
    const uint8_t *bytes = reinterpret_cast<const uint8_t *>(&m_record);
    return std::vector<uint8_t>(bytes, bytes + sizeof(m_record));
}
