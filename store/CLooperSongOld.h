#pragma once

#include "CLooperSongBase.h"
#include "SOldLoopSongData.h"

// Song store of the legacy models: a 2624-byte "looper" record on every second page of the
// slot's FAT block, the newest on the highest such page; every commit also raises the song-file
// flag in area 0.
class CLooperSongOld : public CLooperSongBase {
public:
    CLooperSongOld();

    uint32_t GetSize() const override;
    int32_t Load(UsedBlockMap &usedBlocks) override;
    // Searches downwards from `high` in steps of two; `low` is not used.
    int32_t FindFatPage(int32_t low, int32_t high) override;
    int32_t Write(const SBlockList &blocks, const uint8_t *bytes, uint32_t length,
                  QObject *progressTarget) override;
    void MarkUsedBlocks(UsedBlockMap &usedBlocks) override;
    void Reset() override;
    int32_t MarkRecordBlocks(int32_t page, UsedBlockMap &blocks) override;

    // Erases the flag sectors and writes the two zero bytes; false at the first failure, which
    // ends the flag: a looper that stopped answering is not asked 16 times.
    bool write_song_file_flag();

    uint32_t RecordStep() const override { return 2; }
    int32_t FatPage() const override { return m_nFatPage; }
    std::vector<uint8_t> RecordBytes() const override;

protected:
    uint16_t BlockAt(uint32_t k) const override { return m_record.Block(k); }
    bool WritePage(uint32_t address, const uint8_t *data, uint32_t length) override;
    uint32_t RecordSize() const override { return sizeof(SOldLoopSongData); }
    bool RecordWhole(const uint8_t *record) const override;
    // The song-file flag follows every record, as after a commit: RESULT_STORED_NO_ANSWER when
    // the record was written but the flag could not be raised.
    int32_t WriteRecord(uint32_t page, const uint8_t *record) override;

private:
    int32_t ReadRecord(int32_t page);
    bool RecordConsistent() const;
    void BuildRecord(SOldLoopSongData &record, const SBlockList &blocks, uint32_t length) const;
    int32_t CommitRecord(const SBlockList &blocks, uint32_t length);

    SOldLoopSongData m_record;
    int32_t m_nFatPage;
};
