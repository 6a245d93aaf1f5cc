#pragma once

#include "SCliOptions.h"

#include <cstdint>

class CLooperSongTable;

// Writes the song with progress and, with --verify, reads it back and compares; prints the slot's new
// row. The status to exit with.
int StoreCliSong(const SCliOptions &options, CLooperSongTable &table, uint32_t slot, const uint8_t *bytes,
                 uint32_t length);
