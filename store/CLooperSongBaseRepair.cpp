#include "CLooperSongBase.h"

#include "CUSBPort.h"
#include "ResultCodes.h"

#include <algorithm>
#include <vector>

namespace {
enum ERecordState { RECORD_ERASED, RECORD_WHOLE, RECORD_TORN };

ERecordState StateOf(const std::vector<uint8_t> &record, bool whole)
{
    if (std::all_of(record.begin(), record.end(), [](uint8_t byte) { return byte == 0xFF; }))
        return RECORD_ERASED;
    return whole ? RECORD_WHOLE : RECORD_TORN;
}
} // namespace

bool CLooperSongBase::WriteRecord(uint32_t page, const uint8_t *record)
{
    return m_pPort->WriteData(SONG_AREA, FatPageAddress(page), record, RecordSize(), nullptr);
}

int32_t CLooperSongBase::CheckNextRecordErased(int32_t page)
{
    const uint32_t next = page < 0 ? 0 : uint32_t(page) + RecordStep();
    if (next >= m_geometry.pagesPerBlock)
        return RESULT_OK;
    std::vector<uint8_t> record(RecordSize());
    if (!ReadFat(next, 0, record.data(), RecordSize()))
        return RESULT_READ_FAILED;
    // Every record starts with the same byte, so a commit cut right after it leaves nothing that a
    // later record could not be programmed over.
    const bool erased =
        std::all_of(record.begin() + 1, record.end(), [](uint8_t byte) { return byte == 0xFF; });
    return erased ? RESULT_OK : RESULT_CHECKSUM_ERROR;
}

// Records are programmed one after another (the legacy layout may leave page 0 unused), so a torn
// commit leaves exactly this pattern: erased, whole records, the torn one, erased pages. A torn FAT block
// erase leaves damage scattered over the whole block instead, and nothing there can be trusted.
int32_t CLooperSongBase::FindRecoverablePage()
{
    if (!IsAttached())
        return -1;
    std::vector<uint8_t> record(RecordSize());
    int32_t torn = -1;
    int32_t lastWhole = -1;
    for (uint32_t page = 0; page < m_geometry.pagesPerBlock; page += RecordStep()) {
        if (!ReadFat(page, 0, record.data(), RecordSize()))
            return -1;
        const ERecordState state = StateOf(record, RecordWhole(record.data()));
        if (torn >= 0 && state != RECORD_ERASED)
            return -1;
        if (torn < 0 && state == RECORD_WHOLE)
            lastWhole = int32_t(page);
        else if (torn < 0 && state == RECORD_TORN && lastWhole >= 0)
            torn = int32_t(page);
        else if (torn < 0 && (state != RECORD_ERASED || lastWhole >= 0))
            return -1;
    }
    return torn < 0 ? -1 : lastWhole;
}

int32_t CLooperSongBase::RewriteRecord(int32_t page)
{
    if (!IsAttached() || page < 0)
        return RESULT_BAD_SLOT;
    std::vector<uint8_t> record(RecordSize());
    if (!ReadFat(uint32_t(page), 0, record.data(), RecordSize()))
        return RESULT_READ_FAILED;
    uint32_t target = uint32_t(page) + 2 * RecordStep();
    if (target >= m_geometry.pagesPerBlock) {
        if (!EraseFatBlock())
            return RESULT_FLASH_ERASE_FAILED;
        target = 0;
    }
    if (!WriteRecord(target, record.data()))
        return RESULT_WRITE_FAILED;
    return RESULT_OK;
}
