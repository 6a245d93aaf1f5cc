#pragma once

#include "SFileFailure.h"

#include <QObject>
#include <QString>

#include <cstdint>

class CLooperSongTable;
class CWave;

// Song transfer shared by the window and the command-line tool, so both move the same bytes.

// Reads the song of slot out of the device and saves it as a 48000 Hz 24-bit mono WAV file, which
// replaces an earlier file only once it is complete. Returns the read's result code; after a good
// read, failure tells why the file could not be written (its text is empty when it was).
int32_t UploadSongToFile(CLooperSongTable &table, uint32_t slot, uint32_t productId, const QString &strPath,
                         QObject *progressTarget, SFileFailure &failure);
// What an upload makes of a song of the model ("46875 Hz 24-bit stereo → 48000 Hz 24-bit mono, left
// channel kept").
QString UploadConversionText(uint32_t productId);

// Loads a WAV file and converts it to the device's 46875 Hz 24-bit form, with the sample in
// every channel the model of productId stores (left = right on a two-channel looper, so the
// looper and Upload see the song as it was). A clip whose sample width and channel count do not
// match the layout its block align selects (8-bit, 32-bit, float, ...) or that holds no sample
// is refused: its bytes sent as 24-bit samples would replace the user's song with noise. So is a
// clip longer than a slot of the model holds, before its samples are read ("File too large!").
// False with the failure; conversion names what was done ("44100 Hz 16-bit stereo → 46875 Hz
// 24-bit mono, left channel kept").
bool LoadWaveForDevice(CWave &wave, const QString &strPath, uint32_t productId, SFileFailure &failure,
                       QString &conversion);
// The same, showing the failure's text.
bool LoadWaveForDevice(CWave &wave, const QString &strPath, uint32_t productId);

// Turns a 24-bit mono clip into one of channels equal channels; one channel leaves it as it is.
void SpreadToDeviceChannels(CWave &wave, uint32_t channels);
