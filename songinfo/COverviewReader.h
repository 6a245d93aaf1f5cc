#pragma once

#include "SSongIdentity.h"
#include "SSongPeaks.h"

#include <cstdint>
#include <vector>

class CLooperSongTable;

// Reads a song's waveform overview from the looper one device request at a time, so that the window
// can interleave the requests with everything else it does and drop the rest when the user looks
// elsewhere. A song that can be read whole within MAX_REQUESTS requests is read whole; a longer one
// gives MAX_REQUESTS pieces spread evenly over it, one bin each.
class COverviewReader {
public:
    static const uint32_t MAX_REQUESTS = 256;

    enum EStep { STEP_MORE, STEP_DONE, STEP_FAILED };

    // Plans the reads of the song that `identity` names in `slot` of the loaded table.
    COverviewReader(const CLooperSongTable &table, uint32_t slot, const SSongIdentity &identity);

    // One request: the next piece. STEP_FAILED when the read failed or the slot no longer holds the
    // song; device messages are kept out of sight, as this is no work the user started.
    EStep Step(CLooperSongTable &table);
    uint32_t Slot() const { return m_nSlot; }
    const SSongIdentity &Identity() const { return m_identity; }
    uint32_t RequestCount() const { return uint32_t(m_plan.size()); }
    // One bin per piece, once Step said STEP_DONE for a song too long to be read whole; else empty:
    // the exact peaks of a whole song are the caller's to compute from SongBytes.
    const SSongPeaks &Peaks() const { return m_peaks; }
    // The whole song, once Step said STEP_DONE for a song short enough to be read whole; else empty.
    const std::vector<uint8_t> &SongBytes() const { return m_bytes; }

private:
    struct SPiece {
        uint32_t page;
        uint32_t offset;
        uint32_t length;
    };
    void PlanWholeSong(uint32_t size, uint32_t pageBytes, uint32_t chunk);
    void PlanSpreadPieces(uint32_t size, uint32_t pageBytes, uint32_t chunk);

    uint32_t m_nSlot;
    SSongIdentity m_identity;
    uint32_t m_nChannels;
    bool m_bWhole;
    std::vector<SPiece> m_plan;
    size_t m_nNext;
    std::vector<uint8_t> m_bytes;
    SSongPeaks m_peaks;
};
