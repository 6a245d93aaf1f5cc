#include "SongLength.h"

#include "FormatText.h"

uint64_t SongFrames(uint64_t bytes, const FlashGeometry &geometry)
{
    const uint32_t frameBytes = FrameBytes(geometry);
    return frameBytes == 0 ? 0 : bytes / frameBytes;
}

double SongSeconds(uint64_t bytes, const FlashGeometry &geometry)
{
    return geometry.sampleRate == 0 ? 0.0 : double(SongFrames(bytes, geometry)) / geometry.sampleRate;
}

QString SongLengthText(uint64_t bytes, const FlashGeometry &geometry)
{
    return LengthText(SongFrames(bytes, geometry), geometry.sampleRate);
}
