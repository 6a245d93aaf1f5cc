#pragma once

#include <QString>

#include <cstdint>

class CLooperSongTable;

// Why a move or swap of the loaded table cannot be done, before anything is written; empty when it
// can. Slots count from 0; the texts count them from 1, as the list shows them. Replacing the song
// of a move's target is the caller's question.
QString MoveRefusal(const CLooperSongTable &table, uint32_t from, uint32_t to);
QString SwapRefusal(const CLooperSongTable &table, uint32_t first, uint32_t second);
