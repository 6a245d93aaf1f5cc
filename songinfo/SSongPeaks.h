#pragma once

#include <cstdint>
#include <vector>

// The lowest and highest sample of each of a number of equal stretches ("bins") of a song, over
// all its channels, as the top 16 bits of the 24-bit samples. An overview is built from pieces
// read here and there in the song; exact peaks from every sample of it.
struct SSongPeaks {
    // Bins of exact peaks: finer than any waveform the window draws.
    static const uint32_t EXACT_BINS = 2048;

    bool exact = false;
    std::vector<int16_t> minima;
    std::vector<int16_t> maxima;

    bool IsEmpty() const { return minima.empty(); }
    uint32_t BinCount() const { return uint32_t(minima.size()); }
    // The lowest and highest value over the part of the song from `from` to `to` (fractions of
    // its length); false when there are no peaks.
    bool Range(double from, double to, int16_t &low, int16_t &high) const;
};

// Exact peaks of a whole song of 24-bit little-endian samples, `channels` to a frame.
SSongPeaks ExactPeaks(const uint8_t *bytes, uint64_t length, uint32_t channels);
// The lowest and highest sample of a piece of such a song.
void PieceRange(const uint8_t *bytes, uint64_t length, int16_t &low, int16_t &high);
