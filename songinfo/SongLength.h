#pragma once

#include "DeviceModel.h"

#include <QString>

#include <cstdint>

// Frames of a song of `bytes` bytes as the model stores it.
uint64_t SongFrames(uint64_t bytes, const FlashGeometry &geometry);
// The song's length in seconds at the model's rate, from its size alone: nothing is read.
double SongSeconds(uint64_t bytes, const FlashGeometry &geometry);
// "m:ss.mmm", such as "0:04.000", rounded to the millisecond.
QString SongLengthText(uint64_t bytes, const FlashGeometry &geometry);
