#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

class CWave;
struct FlashGeometry;

// The files of a backup folder. Each is written under a temporary name and renamed when
// complete, so that an interrupted backup leaves no partial file under a final name.

// Gives wave the model's sample format (rate, width, channels), with no samples yet.
void SetSongFormat(CWave &wave, const FlashGeometry &geometry);
// Saves wave; its data chunk holds exactly the wave's bytes. False with a text.
bool SaveWaveAtomically(const CWave &wave, const QString &path, QString &errorText);
bool SaveFileAtomically(const QString &path, const QByteArray &content, QString &errorText);
// Loads a backup WAV file and checks that it has the model's sample format. False with a text.
bool LoadSongWave(const QString &path, const FlashGeometry &geometry, CWave &wave, QString &errorText);
// Lower-case hex SHA-256 of the bytes.
QString Sha256Hex(const uint8_t *bytes, uint32_t length);
