#pragma once

#include <QString>

#include <cstdint>

class CLooperSongTable;

// The line `list` prints for a slot: the row text, then for a song its length and its name, if it
// has one ("Song 001 -- (0.54  MB)  0:04.000  Drum loop").
QString CliListLine(const CLooperSongTable &table, uint32_t slot, const QString &name);
