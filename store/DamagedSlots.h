#pragma once

#include <QString>

#include <cstdint>

class CLooperSongTable;

// "Song NNN -- (Damaged: <result text>)": the row of a slot whose record could not be loaded, or
// "Song NNN -- (Damaged: shares its audio with slot M)" for one whose blocks another slot names too.
QString DamagedRowText(const CLooperSongTable &table, uint32_t slot);
// Empty when every slot loaded; otherwise why nothing may be written: the blocks a damaged slot
// owns are unknown, so a new song could land on them.
QString DamagedSlotRefusal(const CLooperSongTable &table);
