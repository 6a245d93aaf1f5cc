#pragma once

#include "DeviceModel.h"
#include "SBlockList.h"
#include "UsedBlockMap.h"

#include <QObject>

#include <cstdint>
#include <vector>

class CUSBPort;
struct SRecordPlace;

// The changes of a slot's record that a store began (FAT block erases, record writes) and those
// the looper confirmed (a record written, a delete's erase): work that failed after a stop was
// asked for compares them before and after to tell whether the slot changed.
struct SRecordChanges {
    uint32_t begun = 0;
    uint32_t done = 0;
};

// The song store of one slot: the slot's FAT block holds the records that describe its song, the
// song's data lies in whole data blocks. Operations return result codes (ResultCodes.h).
class CLooperSongBase {
public:
    static constexpr uint8_t SONG_AREA = 1;

    CLooperSongBase();
    virtual ~CLooperSongBase();
    CLooperSongBase(const CLooperSongBase &) = delete;
    CLooperSongBase &operator=(const CLooperSongBase &) = delete;

    virtual bool HasSong() const;
    virtual uint32_t GetSize() const = 0;
    virtual void Attach(uint32_t infoBlock, const FlashGeometry &geometry, CUSBPort &port);
    virtual uint32_t GetBlockCount() const;
    virtual int32_t Load(UsedBlockMap &usedBlocks) = 0;
    // The FAT page of the newest record, or -1 when the search could not read the device.
    virtual int32_t FindFatPage(int32_t low, int32_t high) = 0;
    virtual int32_t Read(uint8_t *destination, uint32_t capacity, QObject *progressTarget);
    virtual int32_t Write(const SBlockList &blocks, const uint8_t *bytes, uint32_t length,
                          QObject *progressTarget) = 0;
    virtual int32_t Erase();
    virtual void MarkUsedBlocks(UsedBlockMap &usedBlocks) = 0;
    virtual void Reset() = 0;

    // For a damaged slot whose newest record was torn while it was programmed, with erased pages
    // above it and below it only whole records and what earlier repairs left: the FAT page of the
    // newest whole record, which still names the previous song. -1 for any other slot, or when the
    // FAT block could not be read.
    int32_t FindRecoverablePage();
    // Marks the blocks that the record on `page` names, without loading it.
    virtual int32_t MarkRecordBlocks(int32_t page, UsedBlockMap &blocks) = 0;
    // Writes the record of `page` again as the newest one (on the first free page above the torn
    // ones, or at page 0 of the freshly erased FAT block); the caller loads the slot again.
    int32_t RewriteRecord(int32_t page);

    // The loaded song's record as the flash holds it, empty when no song is loaded; with the FAT
    // block and the record's page it tells one song from any other.
    virtual std::vector<uint8_t> RecordBytes() const = 0;
    virtual int32_t FatPage() const = 0;
    uint32_t InfoBlock() const { return m_nInfoBlock; }
    // Reads `length` bytes from `offset` of the song's page `n`, counted in song order: one device
    // request for up to CUSBPort::READ_CHUNK bytes.
    int32_t ReadSongPage(uint32_t n, uint32_t offset, uint8_t *destination, uint32_t length);

    // Moving and swapping songs writes records only (CLooperSongBaseArrange.cpp). Each returns
    // RESULT_OK or the failure; the caller loads the slot again afterwards.
    // Record places free above the newest record: records that can still follow without an erase.
    uint32_t FreeRecordPlaces() const;
    // Another slot's record, byte for byte, on the next record place of this known FAT block.
    int32_t AppendRecord(const std::vector<uint8_t> &record);
    // Erases the FAT block, which deletes the song, awaited whatever a stop request says.
    int32_t ClearRecords();
    // A record on the first place of the FAT block that ClearRecords erased.
    int32_t WriteFirstRecord(const std::vector<uint8_t> &record);
    // The record on `page` when it is whole (RESULT_CHECKSUM_ERROR when not), without loading it.
    int32_t ReadWholeRecord(int32_t page, std::vector<uint8_t> &record);
    // Records lie every RecordStep() pages from page 0.
    virtual uint32_t RecordStep() const = 0;

    bool IsAttached() const { return m_pPort != nullptr; }
    const SRecordChanges &RecordChanges() const { return m_changes; }
    // Song bytes one data block holds.
    uint32_t BytesPerBlock() const;
    // Blocks a song of `size` bytes needs (64-bit, so that no length can wrap).
    uint64_t BlocksFor(uint64_t size) const;
    // The address of page n of the loaded song, counted in the order its bytes run (n below the
    // song's page count), so that a song can also be read a piece at a time.
    uint32_t SongPageAddress(uint32_t n) const;

protected:
    // Block k of the loaded record's list; only called for k below GetBlockCount.
    virtual uint16_t BlockAt(uint32_t k) const = 0;
    virtual bool WritePage(uint32_t address, const uint8_t *data, uint32_t length) = 0;
    // RecordSize() bytes each.
    virtual uint32_t RecordSize() const = 0;
    virtual bool RecordWhole(const uint8_t *record) const = 0;
    // Programs a record on a FAT page: the request that commits it, awaited whatever a cancel
    // request says. RESULT_OK or RESULT_WRITE_FAILED (RESULT_STORED_NO_ANSWER on the legacy layout).
    virtual int32_t WriteRecord(uint32_t page, const uint8_t *record);
    // RESULT_OK when the record place after `page` (-1: page 0) is erased, as only whole commits
    // leave it; old bytes there mean a torn FAT block erase, and the slot is damaged.
    int32_t CheckNextRecordErased(int32_t page);

    // Refuses, before any device traffic, what the data phase could not write soundly.
    int32_t CheckWriteRequest(const SBlockList &blocks, const uint8_t *bytes, uint32_t length) const;
    int32_t WriteSongData(const SBlockList &blocks, const uint8_t *bytes, uint32_t length,
                          QObject *progressTarget);
    // True when the first `count` entries of the loaded list all name data blocks.
    bool LoadedBlocksValid() const;
    void MarkLoadedBlocks(UsedBlockMap &usedBlocks) const;
    uint32_t FatPageAddress(uint32_t page) const;
    bool ReadFat(uint32_t page, uint32_t offset, uint8_t *destination, uint32_t length);
    // Erases the slot's FAT block, awaited whatever a cancel request says: the looper erases it
    // whether or not its answer is awaited.
    bool EraseFatBlock();

    uint32_t m_nInfoBlock;
    FlashGeometry m_geometry;
    CUSBPort *m_pPort;
    // The FAT block's content is known from a successful load or write; otherwise a record may
    // only go to a freshly erased FAT block.
    bool m_bFatKnown;
    SRecordChanges m_changes;

private:
    bool ReadRecordPlaces(std::vector<SRecordPlace> &places);
    uint32_t PageInOrder(uint32_t n, bool firstBlock) const;
    int32_t WriteBlock(uint16_t block, bool firstBlock, const uint8_t *bytes, uint32_t length, uint32_t &pos);
    bool WriteGroups(uint32_t address, const uint8_t *data, uint32_t count);
};
