#pragma once

#include "CSongCache.h"
#include "CSongNames.h"
#include "CSongTableObserver.h"

#include <functional>

class CLooperSongTable;
class CUSBPort;

// Keeps what the computer knows about songs in step with what the song table does: a song read
// whole leaves its exact peaks and its bytes in the cache; a song written or deleted takes away
// any name and cache entries kept under its identity, so that nothing of an older song can stick
// to a new one; a song moved to another record place (a move, a swap, a repair) takes them along.
class CSongInfoKeeper : public CSongTableObserver {
public:
    // Called with the slot and the exact peaks of each song kept whole.
    using KeptCallback = std::function<void(uint32_t slot, const SSongPeaks &peaks)>;

    // `keepReadSongs` false: songs read are not kept (a command line that should leave no files).
    CSongInfoKeeper(const CLooperSongTable &table, const CUSBPort &port, bool keepReadSongs);

    void SetKeptCallback(const KeptCallback &callback) { m_onKept = callback; }
    // Exact peaks and bytes of a song read whole, however it was read.
    SSongPeaks KeepWholeSong(const SSongIdentity &identity, const uint8_t *bytes, uint32_t length);

    void SongRead(uint32_t slot, const uint8_t *bytes, uint32_t length) override;
    void SongWritten(uint32_t slot) override;
    void SongErased(uint32_t slot) override;
    void SongMoved(const SSongPlace &from, const SSongPlace &to) override;

    CSongNames &Names() { return m_names; }
    CSongCache &Cache() { return m_cache; }
    SSongIdentity Identity(uint32_t slot) const;

private:
    void ForgetSong(uint32_t slot);

    const CLooperSongTable &m_table;
    const CUSBPort &m_port;
    bool m_bKeepReadSongs;
    CSongNames m_names;
    CSongCache m_cache;
    KeptCallback m_onKept;
};
