#pragma once

#include "SCliOptions.h"

#include <cstdint>

class CLooperSongTable;
class CUSBPort;

// Connects and loads the song table as the window does after a connection. EXIT_OK or the status to exit
// with.
int LoadCliSongs(const SCliOptions &options, CUSBPort &port, CLooperSongTable &table);
// "SLOT" counts from 1 as the list shows it; false (with a message) when it names no slot.
bool ParseCliSlot(const QString &text, const CLooperSongTable &table, uint32_t &slot);
// LoadCliSongs, then the slot that text names. EXIT_OK or the status to exit with.
int OpenCliSlot(const SCliOptions &options, const QString &text, CUSBPort &port, CLooperSongTable &table,
                uint32_t &slot);
// False (with a message) when the slot holds no song.
bool CliSlotHasSong(const CLooperSongTable &table, uint32_t slot);
// The row text of the song list for a slot.
QString CliRowText(const CLooperSongTable &table, uint32_t slot);
