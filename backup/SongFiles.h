#pragma once

#include "CWave.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

struct FlashGeometry;

// The song files of a backup folder: a WAV file of the model's sample format (rate, width,
// channels) whose data chunk holds exactly the song's bytes as the looper stores them.

// The bytes before the song's in its file.
const int SONG_WAVE_HEADER_SIZE = CWave::FILE_HEADER_SIZE;

// The header of the song file of a song of `length` bytes.
QByteArray SongWaveHeader(const FlashGeometry &geometry, uint32_t length);
// Whether the content of a song file is a song of this model, its length taken from the file's
// size; false with the reason otherwise.
bool IsSongWave(const QByteArray &file, const FlashGeometry &geometry, QString &reason);
// The song bytes of a song file: those after its header.
const uint8_t *SongBytesOf(const QByteArray &file);
// Lower-case hex SHA-256 of the bytes.
QString Sha256Hex(const uint8_t *bytes, uint32_t length);
