#include "SongLength.h"

#include "FormatText.h"

namespace {
// Frames of a song of `bytes` bytes as the model stores it: 3-byte samples, one per channel.
uint64_t SongFrames(uint64_t bytes, const FlashGeometry &geometry)
{
    const uint64_t frameBytes = uint64_t(geometry.channels) * (geometry.bitsPerSample / 8);
    return frameBytes == 0 ? 0 : bytes / frameBytes;
}
} // namespace

double SongSeconds(uint64_t bytes, const FlashGeometry &geometry)
{
    return geometry.sampleRate == 0 ? 0.0 : double(SongFrames(bytes, geometry)) / geometry.sampleRate;
}

QString SongLengthText(uint64_t bytes, const FlashGeometry &geometry)
{
    return LengthText(SongFrames(bytes, geometry), geometry.sampleRate);
}
