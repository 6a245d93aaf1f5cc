#pragma once

#include <cstdint>

// Rounds samples to 16 bits with triangular (TPDF) dither of one step either way, so the rounding
// error becomes steady noise instead of distortion that follows the signal. The noise source is
// seeded, so the same song always gives the same file.
class CTpdfDither {
public:
    int16_t Quantise(float value);

private:
    float Uniform();

    uint32_t m_nState = 0x9E3779B9u;
};
