#include "SongLength.h"

uint64_t SongFrames(uint64_t bytes, const FlashGeometry &geometry)
{
    const uint64_t frameBytes = uint64_t(geometry.channels) * (geometry.bitsPerSample / 8);
    return frameBytes == 0 ? 0 : bytes / frameBytes;
}

double SongSeconds(uint64_t bytes, const FlashGeometry &geometry)
{
    return geometry.sampleRate == 0 ? 0.0 : double(SongFrames(bytes, geometry)) / geometry.sampleRate;
}

QString SongLengthText(uint64_t bytes, const FlashGeometry &geometry)
{
    const uint64_t rate = geometry.sampleRate;
    const uint64_t milliseconds = rate == 0 ? 0 : (SongFrames(bytes, geometry) * 1000 + rate / 2) / rate;
    return QString::asprintf("%llu:%02llu.%03llu", static_cast<unsigned long long>(milliseconds / 60000),
                             static_cast<unsigned long long>(milliseconds / 1000 % 60),
                             static_cast<unsigned long long>(milliseconds % 1000));
}
