#include "DeviceSamples.h"

#include <cmath>

int32_t Quantise24(float value)
{
    if (std::isnan(value))
        return 0;
    // Scaling by a power of two is exact in float, so float rounding is exact too.
    const float scaled = value * 8388608.0f;
    if (scaled >= float(SAMPLE24_MAX))
        return SAMPLE24_MAX;
    if (scaled <= float(SAMPLE24_MIN))
        return SAMPLE24_MIN;
    return int32_t(std::lrintf(scaled));
}

void AppendDeviceSamples(const float *samples, size_t count, std::vector<uint8_t> &song)
{
    const size_t start = song.size();
    song.resize(start + count * DEVICE_SAMPLE_BYTES);
    uint8_t *out = song.data() + start;
    for (size_t i = 0; i < count; ++i) {
        const int32_t value = Quantise24(samples[i]);
        *out++ = uint8_t(value);
        *out++ = uint8_t(value >> 8);
        *out++ = uint8_t(value >> 16);
    }
}

int32_t DeviceSampleAt(const uint8_t *bytes)
{
    const int32_t raw = bytes[0] | bytes[1] << 8 | bytes[2] << 16;
    return (raw & 0x800000) ? raw - 0x1000000 : raw;
}

void DecodeDeviceSamples(const uint8_t *bytes, size_t count, float *samples)
{
    for (size_t i = 0; i < count; ++i)
        samples[i] = float(DeviceSampleAt(bytes + i * DEVICE_SAMPLE_BYTES)) / 8388608.0f;
}
