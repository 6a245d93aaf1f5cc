#include "CLooperSongOld.h"

#include "CUSBPort.h"
#include "CancelRequest.h"
#include "ResultCodes.h"

#include <QDebug>

#include <cstring>

namespace {
const int32_t NO_FAT_PAGE = -2;
const uint8_t FLAG_AREA = 0;
const uint32_t FLAG_FIRST_SECTOR = 0x8000;
const uint32_t FLAG_SECTOR_SIZE = 0x800;
const uint32_t FLAG_SECTORS = 16;
} // namespace

CLooperSongOld::CLooperSongOld() : m_record(), m_nFatPage(NO_FAT_PAGE) {}

void CLooperSongOld::Reset()
{
    m_nFatPage = NO_FAT_PAGE;
    std::memset(&m_record, 0x00, sizeof(m_record));
    m_bFatKnown = false;
}

uint32_t CLooperSongOld::GetSize() const
{
    if (!m_record.IsValid())
        return 0;
    const uint32_t pages = m_record.LastBlock() * m_geometry.pagesPerBlock + m_record.lastPage;
    return pages * m_geometry.dataBytesPerPage + (m_record.lastGroup + 1u) * m_geometry.groupSize;
}

void CLooperSongOld::MarkUsedBlocks(UsedBlockMap &usedBlocks)
{
    usedBlocks.reset();
    MarkLoadedBlocks(usedBlocks);
}

bool CLooperSongOld::WritePage(uint32_t address, const uint8_t *data, uint32_t length)
{
    return m_pPort->WriteVerify(SONG_AREA, address, data, length, nullptr) == WRITE_RESULT_OK;
}

int32_t CLooperSongOld::FindFatPage(int32_t, int32_t high)
{
    int32_t page = high;
    while (page > 0) {
        uint8_t tag[2];
        if (!ReadFat(static_cast<uint32_t>(page), 0, tag, sizeof(tag)))
            return -1;
        if (tag[0] == 'l' && tag[1] == 'o') {
            qDebug("%d used\n", page);
            return page;
        }
        qDebug("%d not used\n", page);
        page -= 2;
    }
    return page;
}

int32_t CLooperSongOld::Load(UsedBlockMap &usedBlocks)
{
    Reset();
    const int32_t page = FindFatPage(0, static_cast<int32_t>(m_geometry.pagesPerBlock) - 2);
    if (page < 0)
        return RESULT_READ_FAILED;
    int32_t result = ReadRecord(page);
    if (result == RESULT_OK)
        result = CheckNextRecordErased(page);
    if (result != RESULT_OK) {
        Reset();
        return result;
    }
    m_nFatPage = page;
    m_bFatKnown = true;
    MarkLoadedBlocks(usedBlocks);
    return RESULT_OK;
}

// A torn record is damage, not an empty slot: the song before it is still on the flash.
int32_t CLooperSongOld::ReadRecord(int32_t page)
{
    SOldLoopSongData record;
    if (!ReadFat(static_cast<uint32_t>(page), 0, reinterpret_cast<uint8_t *>(&record), sizeof(record)))
        return RESULT_READ_FAILED;
    m_record = record;
    if (record.IsTorn()) {
        Reset();
        return RESULT_CHECKSUM_ERROR;
    }
    if (!RecordConsistent()) {
        Reset();
        return RESULT_READ_FAILED;
    }
    return RESULT_OK;
}

int32_t CLooperSongOld::MarkRecordBlocks(int32_t page, UsedBlockMap &blocks)
{
    const int32_t result = ReadRecord(page);
    if (result == RESULT_OK)
        MarkLoadedBlocks(blocks);
    Reset();
    return result;
}

bool CLooperSongOld::RecordWhole(const uint8_t *record) const
{
    const SOldLoopSongData *data = reinterpret_cast<const SOldLoopSongData *>(record);
    return data->IsValid() && !data->IsTorn();
}

int32_t CLooperSongOld::WriteRecord(uint32_t page, const uint8_t *record)
{
    const int32_t written = CLooperSongBase::WriteRecord(page, record);
    if (written != RESULT_OK)
        return written;
    return write_song_file_flag() ? RESULT_OK : RESULT_STORED_NO_ANSWER;
}

// A valid record whose ordinals or blocks lie outside the model's storage is damaged: its size
// and block list cannot be used.
bool CLooperSongOld::RecordConsistent() const
{
    if (!m_record.IsValid())
        return true;
    const uint32_t groupsPerPage = m_geometry.dataBytesPerPage / m_geometry.groupSize;
    if (m_record.LastBlock() >= m_geometry.maxBlocksPerSong ||
        m_record.LastBlock() >= SOldLoopSongData::BLOCK_ENTRIES ||
        m_record.lastPage >= m_geometry.pagesPerBlock || m_record.lastGroup >= groupsPerPage)
        return false;
    return LoadedBlocksValid();
}

int32_t CLooperSongOld::Write(const SBlockList &blocks, const uint8_t *bytes, uint32_t length,
                              QObject *progressTarget)
{
    int32_t result = CheckWriteRequest(blocks, bytes, length);
    if (result == RESULT_OK && BlocksFor(length) > SOldLoopSongData::BLOCK_ENTRIES)
        result = RESULT_FILE_TOO_LARGE;
    if (result != RESULT_OK)
        return result;
    result = WriteSongData(blocks, bytes, length, progressTarget);
    if (result != RESULT_OK)
        return result;
    return CommitRecord(blocks, length);
}

void CLooperSongOld::BuildRecord(SOldLoopSongData &record, const SBlockList &blocks, uint32_t length) const
{
    const uint32_t groups = (length + m_geometry.groupSize - 1) / m_geometry.groupSize;
    const uint32_t last = groups == 0 ? 0 : groups - 1;
    const uint32_t groupsPerPage = m_geometry.dataBytesPerPage / m_geometry.groupSize;
    const uint32_t groupsPerBlock = groupsPerPage * m_geometry.pagesPerBlock;
    const uint32_t inBlock = last % groupsPerBlock;
    record.Build(last / groupsPerBlock, static_cast<uint8_t>(inBlock / groupsPerPage),
                 static_cast<uint8_t>(inBlock % groupsPerPage));
    const uint32_t used = static_cast<uint32_t>(BlocksFor(length));
    for (uint32_t k = 0; k < used; ++k)
        record.SetBlock(k, blocks.blocks[k]);
}

int32_t CLooperSongOld::CommitRecord(const SBlockList &blocks, uint32_t length)
{
    int32_t page = m_nFatPage + 2;
    if (!m_bFatKnown || page >= static_cast<int32_t>(m_geometry.pagesPerBlock)) {
        if (!EraseFatBlock())
            return RESULT_FLASH_ERASE_FAILED;
        page = 0;
    } else if (!HasSong() && !EraseFatBlock()) {
        // An empty-looking block may still hold, past its first record places, what an erase cut
        // by a power loss left: it is erased before the first record, which keeps its place.
        return RESULT_FLASH_ERASE_FAILED;
    }
    SOldLoopSongData record;
    BuildRecord(record, blocks, length);
    const int32_t written =
        CLooperSongBase::WriteRecord(uint32_t(page), reinterpret_cast<const uint8_t *>(&record));
    if (written == RESULT_OK) {
        m_record = record;
        m_nFatPage = page;
        qDebug("File FAT Page=%d\n", page);
    }
    // A half-programmed record page must not be written over: the next commit erases first.
    m_bFatKnown = written == RESULT_OK;
    // The flag follows a failed record write too. After a written record, a flag that could not be
    // raised leaves the song stored on a looper that stopped answering: not a plain success.
    const bool flagged = write_song_file_flag();
    if (written != RESULT_OK)
        return written;
    return flagged ? RESULT_OK : RESULT_STORED_NO_ANSWER;
}

// Part of the commit: the flag is raised whole whatever a cancel request says, and the first
// request that fails or goes unanswered ends it.
bool CLooperSongOld::write_song_file_flag()
{
    const CCommitGuard commit;
    for (uint32_t i = 0; i < FLAG_SECTORS; ++i) {
        const uint32_t address = FLAG_FIRST_SECTOR + i * FLAG_SECTOR_SIZE;
        if (!m_pPort->EraseSector(FLAG_AREA, address)) {
            qDebug("write_song_file_flag erase failed,Addr=0x%.8x", address);
            return false;
        }
    }
    const uint8_t flag[2] = {0x00, 0x00};
    return m_pPort->WriteData(FLAG_AREA, FLAG_FIRST_SECTOR, flag, sizeof(flag), nullptr);
}
