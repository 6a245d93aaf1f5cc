#include "CLooperSongBase.h"

#include "CUSBPort.h"
#include "ResultCodes.h"

uint32_t CLooperSongBase::FreeRecordPlaces() const
{
    const int32_t next = FatPage() + int32_t(RecordStep());
    if (!m_bFatKnown || next < 0 || uint32_t(next) >= m_geometry.pagesPerBlock)
        return 0;
    return (m_geometry.pagesPerBlock - 1 - uint32_t(next)) / RecordStep() + 1;
}

int32_t CLooperSongBase::AppendRecord(const std::vector<uint8_t> &record)
{
    if (!IsAttached() || record.size() != RecordSize() || FreeRecordPlaces() == 0)
        return RESULT_BAD_SLOT;
    const int32_t written = WriteRecord(uint32_t(FatPage()) + RecordStep(), record.data());
    // The store still describes the record before: the slot is loaded again before the next write.
    m_bFatKnown = false;
    return written;
}

int32_t CLooperSongBase::ClearRecords()
{
    if (!IsAttached())
        return RESULT_BAD_SLOT;
    m_bFatKnown = false;
    if (!EraseFatBlock())
        return RESULT_FLASH_ERASE_FAILED;
    ++m_changes.done;
    return RESULT_OK;
}

int32_t CLooperSongBase::WriteFirstRecord(const std::vector<uint8_t> &record)
{
    if (!IsAttached() || record.size() != RecordSize())
        return RESULT_BAD_SLOT;
    return WriteRecord(0, record.data());
}

int32_t CLooperSongBase::ReadWholeRecord(int32_t page, std::vector<uint8_t> &record)
{
    if (!IsAttached() || page < 0 || uint32_t(page) >= m_geometry.pagesPerBlock)
        return RESULT_BAD_SLOT;
    record.assign(RecordSize(), 0xFF);
    if (!ReadFat(uint32_t(page), 0, record.data(), RecordSize()))
        return RESULT_READ_FAILED;
    return RecordWhole(record.data()) ? RESULT_OK : RESULT_CHECKSUM_ERROR;
}
