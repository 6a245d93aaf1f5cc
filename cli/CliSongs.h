#pragma once

#include "SCliOptions.h"

#include <cstdint>

class CLooperSongTable;
class CUSBPort;

// Connects and loads every slot of the song table on its own: EXIT_OK also when some slots are
// damaged (CliRowText shows them). Otherwise the status to exit with.
int LoadCliSongs(const SCliOptions &options, CUSBPort &port, CLooperSongTable &table);
// "SLOT" counts from 1 as the list shows it; false (with a message) when it names no slot.
bool ParseCliSlot(const QString &text, const CLooperSongTable &table, uint32_t &slot);
// LoadCliSongs, then the slot that text names. EXIT_OK or the status to exit with.
int OpenCliSlot(const SCliOptions &options, const QString &text, CUSBPort &port, CLooperSongTable &table,
                uint32_t &slot);
// False (with a message) when the slot holds no song or is damaged.
bool CliSlotHasSong(const CLooperSongTable &table, uint32_t slot);
// OpenCliSlot, then the slot must hold a readable song. EXIT_OK or the status to exit with.
int OpenCliSongSlot(const SCliOptions &options, const QString &text, CUSBPort &port, CLooperSongTable &table,
                    uint32_t &slot);
// True (with a message) when a damaged slot forbids writing.
bool CliRefuseWhileDamaged(const CLooperSongTable &table);
// The row text of the song list for a slot, "Song NNN -- (Damaged: ...)" for a damaged one.
QString CliRowText(const CLooperSongTable &table, uint32_t slot);
// The end of a change to one slot (delete, repair): the result reported unless the work was
// cancelled, the slot's new row printed when it succeeded. The status to exit with.
int CliSlotChangedExit(const CLooperSongTable &table, uint32_t slot, int32_t result);
