#pragma once

#include <QObject>
#include <QString>

#include <cstdint>

class CLooperSongTable;
class CWave;

// Song transfer shared by the window and the command-line tool, so both move the same bytes.

// Reads the song of slot out of the device and saves it as a 48000 Hz 24-bit mono WAV file.
// Returns the read's result code; saved tells whether the file was written completely (Save
// shows its own message when it was not).
int32_t UploadSongToFile(CLooperSongTable &table, uint32_t slot, uint32_t productId, const QString &strPath,
                         QObject *progressTarget, bool &saved);

// Loads a WAV file into wave and converts it to the device's 46875 Hz 24-bit mono form. A clip
// whose layout the conversion does not handle (8-bit, 32-bit, ...) is refused with a message:
// its bytes sent as 24-bit mono would replace the user's song with noise.
bool LoadWaveForDevice(CWave &wave, const QString &strPath);
