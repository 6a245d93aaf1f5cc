#pragma once

#include "CLooperSongBase.h"
#include "CSongTableObserver.h"
#include "DeviceModel.h"
#include "SSongPlace.h"
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
    // another slot's. For a slot that shares its blocks with another, separates the two (below).
    int32_t RepairSong(uint32_t slot);
    // The slot whose record names blocks this slot's record names too, or -1. Such a slot loads as
    // RESULT_SHARED_BLOCKS (unless it is damaged otherwise): a move or swap between the two was cut
    // short, and nothing is written until RepairSong separates them.
    int32_t SharedWith(uint32_t slot) const;
    // Where the song of a slot lies: its loaded record, or for a damaged slot the record a repair
    // would bring back; an invalid place for an empty slot.
    SSongPlace SongPlace(uint32_t slot) const;

    // Moving and swapping songs write records only, never audio (CLooperSongTableArrange.cpp). Both
    // refuse (RESULT_BAD_SLOT, or the load result of a damaged slot) unless both slots exist, differ
    // and every slot loaded whole. The whole operation is awaited whatever a stop request says.
    // Moves the song of `from` into `to`, replacing and so deleting the song that `to` held.
    int32_t MoveSong(uint32_t from, uint32_t to);
    // Swaps the songs of two slots (a slot that is empty takes the other's song: a move);
    // RESULT_SPACE_NOT_ENOUGH when a slot's FAT block has no room left for the records (SwapFits).
    int32_t SwapSongs(uint32_t first, uint32_t second);
    // Whether both FAT blocks have room for a swap's records; otherwise `fullSlot` names one that has not.
    bool SwapFits(uint32_t first, uint32_t second, uint32_t &fullSlot) const;
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
    // How the load found a slot that shares its blocks with another (CLooperSongTableShared.cpp):
    // the move's source or target to delete, a swap whose copy is rolled back, or overlapping
    // records that no move or swap leaves, which repair cannot separate.
    enum EShare { SHARE_NONE, SHARE_DELETE, SHARE_ROLL_BACK, SHARE_UNRESOLVED };
    struct SShare {
        int32_t partner = -1;
        EShare kind = SHARE_NONE;
    };

    int32_t PrepareLoad();
    int32_t LoadSlot(uint32_t slot);
    int32_t LoadAttachedSlot(uint32_t slot);
    void FindRecoverable(uint32_t slot);
    void CreateStores(const DeviceModel &model);
    int32_t CheckSlot(uint32_t slot) const;
    void MarkBlocks(const SBlockList &blocks, uint32_t length);
    int32_t RefusedWrite(uint32_t slot) const;
    int32_t RepairRecord(uint32_t slot);

    int32_t CheckArrangement(uint32_t first, uint32_t second) const;
    int32_t LoadAfter(uint32_t slot, int32_t result);
    int32_t ConfirmCopy(const SSongPlace &song, uint32_t slot, int32_t written);
    int32_t AppendCopy(const SSongPlace &song, uint32_t slot);
    void NoteMove(const SSongPlace &from, uint32_t to);

    void FindSharedSongs();
    void ShareBetween(uint32_t lower, uint32_t higher, const std::vector<SSongPlace> &places,
                      const UsedBlockMap &inUse);
    void MarkShare(uint32_t slot, uint32_t partner, EShare kind);
    bool PreviousRecordFree(uint32_t slot, const UsedBlockMap &inUse, SSongPlace &previous) const;
    int32_t SeparateShared(uint32_t slot);
    int32_t RollBackCopy(uint32_t lower, uint32_t higher);
    std::unique_ptr<CLooperSongBase> ScratchStore(uint32_t slot) const;
    UsedBlockMap LoadedBlocks(uint32_t slot) const;

    std::vector<std::unique_ptr<CLooperSongBase>> m_stores;
    UsedBlockMap m_usedBlocks;
    CUSBPort &m_port;
    FlashGeometry m_geometry;
    std::vector<int32_t> m_slotResults;
    // The previous record of each damaged slot that has one, with the blocks it names.
    std::vector<SSongPlace> m_recoverable;
    std::vector<UsedBlockMap> m_recoverableBlocks;
    std::vector<SShare> m_shares;
    uint32_t m_nStoreKind = STORE_NONE;
    int32_t m_nLoadResult;
    RandomSource m_pfnRandom;
    CSongTableObserver *m_pObserver = nullptr;
};
