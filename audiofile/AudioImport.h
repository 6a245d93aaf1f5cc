#pragma once

#include "AudioChannels.h"
#include "DeviceModel.h"

#include <QString>

#include <cstdint>
#include <vector>

// What an import made of a file: the conversion ("44100 Hz 16-bit stereo → 46875 Hz 24-bit mono,
// mixed") and the song's length in bytes before its tail was padded to whole sample groups.
struct SImportSummary {
    QString conversion;
    uint32_t unpaddedBytes = 0;
};

// Reads any audio file libsndfile reads and converts it to the model's song bytes: its sample rate
// through libsoxr's high-quality recipe, 24 bits rounded and clipped, its frame layout, whole sample
// groups (the tail padded with silence, since the flash keeps whole groups only). The song's length
// follows from the length and rate the file declares before anything is allocated, and the file is
// converted in pieces whose size does not depend on its rate. False after a message when the file
// is not a regular file or cannot be read, ends before the length it declares, the channel choice
// does not fit it, or the song would be longer than a slot holds.
bool ConvertAudioFileForDevice(const QString &strPath, const FlashGeometry &geometry,
                               AudioChannelChoice choice, std::vector<uint8_t> &song,
                               SImportSummary &summary);
bool ConvertAudioFileForDevice(const QString &strPath, const FlashGeometry &geometry,
                               AudioChannelChoice choice, std::vector<uint8_t> &song);
// Whether the import can open the file at all (a hint for a file another reader refused).
bool AudioFileReadable(const QString &strPath);
