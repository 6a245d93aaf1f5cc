#pragma once

#include "SCliOptions.h"

#include <cstdint>

class CLooperSongTable;

// "SLOT" counts from 1 as the list shows it; false (with a message) when it names no slot.
bool ParseCliSlot(const QString &text, const CLooperSongTable &table, uint32_t &slot);
// False (with a message) when the slot holds no song or is damaged.
bool CliSlotHasSong(const CLooperSongTable &table, uint32_t slot);
// True (with a message) when a damaged slot forbids writing.
bool CliRefuseWhileDamaged(const CLooperSongTable &table);
// The row text of the song list for a slot, "Song NNN -- (Damaged: ...)" for a damaged one.
QString CliRowText(const CLooperSongTable &table, uint32_t slot);
// The end of a change to one slot (delete, repair): the result reported unless the work was
// cancelled, the slot's new row printed when it succeeded. The status to exit with.
int CliSlotChangedExit(const CLooperSongTable &table, uint32_t slot, int32_t result);
