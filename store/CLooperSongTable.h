#pragma once

#include "CLooperSongBase.h"
#include "CSongTableObserver.h"
#include "DeviceModel.h"
#include "SBlockList.h"
#include "UsedBlockMap.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class CUSBPort;

// The song slots of the connected looper: one store per slot, the map of data blocks in use and
// the choice of free blocks for a new song. Slots count from 0.
class CLooperSongTable {
public:
    using RandomSource = uint32_t (*)();

    explicit CLooperSongTable(CUSBPort &port);
    ~CLooperSongTable();
    CLooperSongTable(const CLooperSongTable &) = delete;
    CLooperSongTable &operator=(const CLooperSongTable &) = delete;

    // Loads slot after slot and stops at the first that fails, as the window expects.
    int32_t LoadSongs();
    // Loads every slot on its own: a slot that fails keeps its result (SlotLoadResult) and the
    // others stay usable. RESULT_OK, or the result of the first slot that failed.
    int32_t LoadEachSong();
    // Loads one slot again, after a write to it; the blocks already marked stay marked.
    int32_t ReloadSong(uint32_t slot);
    // RESULT_OK for a slot whose record was read and is sound; RESULT_BAD_SLOT for one not loaded.
    int32_t SlotLoadResult(uint32_t slot) const;
    bool HasDamagedSlot() const;
    // A damaged slot whose newest record was torn while it was written, while the record before it
    // still names the previous song: RepairSong brings that song back.
    bool SongRecoverable(uint32_t slot) const;
    // Writes the previous record of a recoverable slot again as its newest one and reloads the slot.
    // RESULT_BAD_SLOT for a slot that is not recoverable, or whose previous song's blocks are now
    // another slot's.
    int32_t RepairSong(uint32_t slot);
    QString SongRowText(uint32_t slot) const;
    int32_t ReadSong(uint32_t slot, uint8_t *destination, uint32_t capacity, QObject *progressTarget);
    int32_t WriteSong(uint32_t slot, const uint8_t *bytes, uint32_t length, QObject *progressTarget);
    // Deletes the song of a slot; the caller reloads with LoadSongs afterwards.
    int32_t EraseSong(uint32_t slot);
    int32_t AllocateBlocks(uint64_t size, SBlockList &blocks) const;

    uint32_t StoreCount() const { return static_cast<uint32_t>(m_stores.size()); }
    // Null for a slot past the stores.
    CLooperSongBase *Store(uint32_t slot) const;
    const UsedBlockMap &UsedBlocks() const { return m_usedBlocks; }
    // The geometry of the loaded model; all zero before a load.
    const FlashGeometry &Geometry() const { return m_geometry; }
    // Told about every whole song read, song written and song deleted (not owned; null for none).
    void SetObserver(CSongTableObserver *observer) { m_pObserver = observer; }
    // Where the allocation's start block comes from; null restores the default source.
    void SetRandomSource(RandomSource source);
    // The source of tables made from now on (Random32 unless set), so that a test tool can replay
    // every allocation of a run, its command lines' included; null restores Random32.
    static void SetDefaultRandomSource(RandomSource source);

private:
    int32_t PrepareLoad();
    int32_t LoadSlot(uint32_t slot);
    int32_t LoadAttachedSlot(uint32_t slot);
    int32_t RecoverablePage(uint32_t slot);
    void CreateStores(const DeviceModel &model);
    int32_t CheckSlot(uint32_t slot) const;
    bool BlockMapComplete(uint32_t slot) const;
    void MarkBlocks(const SBlockList &blocks, uint32_t length);

    std::vector<std::unique_ptr<CLooperSongBase>> m_stores;
    UsedBlockMap m_usedBlocks;
    CUSBPort &m_port;
    FlashGeometry m_geometry;
    std::vector<int32_t> m_slotResults;
    // The FAT page of the previous record of each damaged slot that has one, otherwise -1.
    std::vector<int32_t> m_recoverablePages;
    int32_t m_nLoadResult;
    RandomSource m_pfnRandom;
    CSongTableObserver *m_pObserver = nullptr;
};
