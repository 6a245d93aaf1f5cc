#pragma once

#include <QString>

#include <cstdint>

class CLooperSongTable;

// Reads the song of slot back and compares it with the bytes that were written, up to the length
// the store reports (the caller reloads the table after the write first). False on a read failure
// or a difference; failureText then says what failed (the read's result text, or the first byte
// offset that differs).
bool VerifySongInSlot(CLooperSongTable &table, uint32_t slot, const uint8_t *written, uint32_t length,
                      QString &failureText);
