#pragma once

#include <QString>

class CLooperSongTable;

// Data blocks that no loaded song holds.
uint32_t FreeBlockCount(const CLooperSongTable &table);
// "Free: N of M blocks, X MB, mm:ss of mono audio" from the loaded table's used-block map; the
// audio time is at the model's rate and sample width, one channel. With a damaged slot, a note
// follows that the count may be high.
QString FreeSpaceLine(const CLooperSongTable &table);
