#include "SSongPeaks.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
const uint32_t SAMPLE_BYTES = 3;

int16_t Sample16(const uint8_t *sample)
{
    return int16_t(uint16_t(sample[1] | sample[2] << 8));
}
} // namespace

bool SSongPeaks::Range(double from, double to, int16_t &low, int16_t &high) const
{
    const uint32_t count = BinCount();
    if (count == 0)
        return false;
    const double last = double(count - 1);
    const uint32_t first = uint32_t(std::clamp(std::floor(from * count), 0.0, last));
    const uint32_t end = uint32_t(std::clamp(std::ceil(to * count), double(first + 1), double(count)));
    low = *std::min_element(minima.begin() + first, minima.begin() + end);
    high = *std::max_element(maxima.begin() + first, maxima.begin() + end);
    return true;
}

void PieceRange(const uint8_t *bytes, uint64_t length, int16_t &low, int16_t &high)
{
    low = std::numeric_limits<int16_t>::max();
    high = std::numeric_limits<int16_t>::min();
    for (uint64_t i = 0; i + SAMPLE_BYTES <= length; i += SAMPLE_BYTES) {
        const int16_t sample = Sample16(bytes + i);
        low = std::min(low, sample);
        high = std::max(high, sample);
    }
    if (low > high)
        low = high = 0;
}

SSongPeaks ExactPeaks(const uint8_t *bytes, uint64_t length, uint32_t channels)
{
    SSongPeaks peaks;
    peaks.exact = true;
    const uint64_t frameBytes = uint64_t(SAMPLE_BYTES) * std::max(channels, 1u);
    const uint64_t frames = length / frameBytes;
    const uint64_t bins = std::min<uint64_t>(SSongPeaks::EXACT_BINS, frames);
    peaks.minima.resize(bins);
    peaks.maxima.resize(bins);
    for (uint64_t b = 0; b < bins; ++b) {
        const uint64_t start = b * frames / bins;
        const uint64_t end = (b + 1) * frames / bins;
        PieceRange(bytes + start * frameBytes, (end - start) * frameBytes, peaks.minima[b], peaks.maxima[b]);
    }
    return peaks;
}
