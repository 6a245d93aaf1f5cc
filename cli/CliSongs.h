#pragma once

#include "SCliOptions.h"

#include <cstdint>
#include <functional>

class CLooperSongTable;

// "SLOT" counts from 1 as the list shows it; false (with a message) when it names no slot.
bool ParseCliSlot(const QString &text, const CLooperSongTable &table, uint32_t &slot);
// False (with a message) when the slot holds no song or is damaged.
bool CliSlotHasSong(const CLooperSongTable &table, uint32_t slot);
// True (with a message) when a damaged slot forbids writing.
bool CliRefuseWhileDamaged(const CLooperSongTable &table);
// The row text of the song list for a slot, "Song NNN -- (Damaged: ...)" for a damaged one.
QString CliRowText(const CLooperSongTable &table, uint32_t slot);
// Changes one slot (delete, repair: `verb` says which) with `change` and returns the status to exit
// with: the slot's new row when it worked; "Cancelled" only when a stop came before the slot changed,
// what happened when it came after.
int CliChangeSlot(CLooperSongTable &table, uint32_t slot, const char *verb,
                  const std::function<int32_t()> &change);
// A record written, then the looper stopped answering (RESULT_STORED_NO_ANSWER): what to do now.
int CliStoredWithoutAnswer(uint32_t slot, const char *verb);
