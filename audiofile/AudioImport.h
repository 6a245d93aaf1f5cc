#pragma once

#include "AudioChannels.h"
#include "DeviceModel.h"

#include <QString>

#include <cstdint>
#include <vector>

// Reads any audio file libsndfile reads and converts it to the model's song bytes: its sample rate
// through libsoxr's high-quality recipe, 24 bits rounded and clipped, its frame layout, whole sample
// groups (the tail padded with silence, since the flash keeps whole groups only). False after a
// message when the file cannot be read, the channel choice does not fit it, or the song would be
// longer than a slot holds.
bool ConvertAudioFileForDevice(const QString &strPath, const FlashGeometry &geometry,
                               AudioChannelChoice choice, std::vector<uint8_t> &song);
