#pragma once

#include "SSongPlace.h"

#include <cstdint>

// Told by the song table what it learnt about a slot's song, right after the table's work succeeded,
// so that what the computer keeps about songs (names, waveforms, song bytes) follows the flash.
class CSongTableObserver {
public:
    virtual ~CSongTableObserver() = default;
    // The whole song of `slot` was read: `bytes` are its `length` bytes as the flash holds them.
    virtual void SongRead(uint32_t slot, const uint8_t *bytes, uint32_t length) = 0;
    // A new song was committed to `slot`; the slot's store describes it.
    virtual void SongWritten(uint32_t slot) = 0;
    // The song of `slot` was deleted; the slot's store still describes it until the next load.
    virtual void SongErased(uint32_t slot) = 0;
    // The same song now lies at another place (moved, swapped or repaired): its audio did not change.
    virtual void SongMoved(const SSongPlace &from, const SSongPlace &to) = 0;
};
