#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The looper's samples: 24-bit little-endian, the channels of a frame one after the other.
const uint32_t DEVICE_SAMPLE_BYTES = 3;
const int32_t SAMPLE24_MAX = 0x7FFFFF;
const int32_t SAMPLE24_MIN = -0x800000;

// A sample in [-1, 1) as a 24-bit value, rounded to the nearest step and clipped at full scale, never
// wrapped; NaN is silence.
int32_t Quantise24(float value);
// Appends count samples as device bytes.
void AppendDeviceSamples(const float *samples, size_t count, std::vector<uint8_t> &song);
// The 24-bit value of the device sample at bytes.
int32_t DeviceSampleAt(const uint8_t *bytes);
// count device samples as floats in [-1, 1).
void DecodeDeviceSamples(const uint8_t *bytes, size_t count, float *samples);
