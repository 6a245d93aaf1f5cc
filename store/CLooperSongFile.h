#pragma once

#include "CLooperSongBase.h"

// Song store of the file-table models: one checksummed "HD" header per page of the slot's FAT
// block, the newest on the highest used page, found by binary search.
class CLooperSongFile : public CLooperSongBase {
public:
    CLooperSongFile();

    uint32_t GetSize() const override { return m_nSize; }
    int32_t Load(UsedBlockMap &usedBlocks) override;
    int32_t FindFatPage(int32_t low, int32_t high) override;
    int32_t Write(const SBlockList &blocks, const uint8_t *bytes, uint32_t length,
                  QObject *progressTarget) override;
    void MarkUsedBlocks(UsedBlockMap &usedBlocks) override;
    void Reset() override;
    int32_t MarkRecordBlocks(int32_t page, UsedBlockMap &blocks) override;

    uint32_t RecordStep() const override { return 1; }
    int32_t FatPage() const override { return m_nFatPage; }
    std::vector<uint8_t> RecordBytes() const override;

protected:
    uint16_t BlockAt(uint32_t k) const override { return m_blocks[k]; }
    bool WritePage(uint32_t address, const uint8_t *data, uint32_t length) override;
    uint32_t RecordSize() const override;
    bool RecordWhole(const uint8_t *record) const override;

private:
    int32_t ReadHeader(int32_t page);
    bool HeaderSizeValid(uint32_t groupCount) const;
    int32_t CommitHeader(const SBlockList &blocks, uint32_t length);

    int32_t m_nFatPage;
    uint8_t m_nStatus;
    uint32_t m_nSize;
    boost::shared_array<uint16_t> m_blocks;
};
