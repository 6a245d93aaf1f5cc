#pragma once

#include "SCliOptions.h"

#include <cstdint>

class CLooperSongTable;
class CUSBPort;

// OpenCliSlot, then what every write into a slot needs: no damaged slot on the looper, and --yes
// to replace a song. EXIT_OK or the status to exit with.
int OpenCliSlotForWrite(const SCliOptions &options, const QString &slotText, CUSBPort &port,
                        CLooperSongTable &table, uint32_t &slot);
// Writes the song with progress and, with --verify, reads it back and compares; prints the slot's new
// row. The status to exit with.
int StoreCliSong(const SCliOptions &options, CLooperSongTable &table, uint32_t slot, const uint8_t *bytes,
                 uint32_t length);
