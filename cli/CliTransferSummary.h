#pragma once

#include <QString>

#include <cstdint>

class CLooperSongTable;

// The line after "Successful !" that says what a command stored in a slot or saved from one: the
// file, the slot (from 1), the song's length, the conversion made and any change to whole sample
// groups. The slot must have been loaded again after a write.

// "Stored 'take1.flac' in slot 3: 0:05.001, 44100 Hz 16-bit stereo → 46875 Hz 24-bit mono, mixed,
// padded 1 ms of silence to whole sample groups"; unpaddedBytes is the length that was given.
void PrintStoredSong(const CLooperSongTable &table, uint32_t slot, const QString &strFile,
                     const QString &conversion, uint32_t unpaddedBytes);
// "Saved slot 3 as 'take1.wav': 0:05.001, 46875 Hz 24-bit mono → 48000 Hz 24-bit mono"
void PrintSavedSong(const CLooperSongTable &table, uint32_t slot, const QString &strFile,
                    const QString &conversion);
