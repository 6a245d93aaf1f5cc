#pragma once

#include "AudioFileFormats.h"
#include "DeviceModel.h"

#include <QObject>
#include <QString>

#include <cstdint>

class CLooperSongTable;

struct SAudioExportFormat {
    // 46875, the looper's own rate, keeps the samples as they are.
    uint32_t rate = 48000;
    AudioSampleBits bits = SAMPLE_BITS_24;
};

// The rates an export accepts.
const uint32_t EXPORT_RATE_MIN = 8000;
const uint32_t EXPORT_RATE_MAX = 384000;

// Writes song bytes of the model's layout as an audio file of the format the file name's extension names,
// at the rate asked (libsoxr, high-quality recipe), with the model's channel count. True when the file is
// complete under its name; otherwise a message was shown and no file was put there.
bool SaveSongAsAudioFile(const uint8_t *song, uint32_t length, const FlashGeometry &geometry,
                         const QString &strPath, const SAudioExportFormat &format);

// What an export makes of a song of the model ("46875 Hz 24-bit stereo → 44100 Hz 16-bit stereo FLAC,
// dithered").
QString ExportConversionText(const FlashGeometry &geometry, const QString &strPath,
                             const SAudioExportFormat &format);

// Reads the song of slot out of the device and saves it with SaveSongAsAudioFile. Returns the read's
// result code; saved tells whether the file was written (a message was shown when it was not).
int32_t ExportSongToAudioFile(CLooperSongTable &table, uint32_t slot, uint32_t productId,
                              const QString &strPath, const SAudioExportFormat &format,
                              QObject *progressTarget, bool &saved);
