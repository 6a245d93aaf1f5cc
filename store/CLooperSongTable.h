#pragma once

#include "CLooperSongBase.h"
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

    int32_t LoadSongs();
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
    // Where the allocation's start block comes from; null restores Random32.
    void SetRandomSource(RandomSource source);

private:
    void CreateStores(const DeviceModel &model);
    int32_t CheckSlot(uint32_t slot) const;
    bool BlockMapComplete(uint32_t slot) const;
    void MarkBlocks(const SBlockList &blocks, uint32_t length);

    std::vector<std::unique_ptr<CLooperSongBase>> m_stores;
    UsedBlockMap m_usedBlocks;
    CUSBPort &m_port;
    FlashGeometry m_geometry;
    uint32_t m_nLoadedSlots;
    int32_t m_nLoadResult;
    RandomSource m_pfnRandom;
};
