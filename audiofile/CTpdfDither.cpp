#include "CTpdfDither.h"

#include <cmath>

// xorshift32: fast, and plenty for noise below one step.
float CTpdfDither::Uniform()
{
    m_nState ^= m_nState << 13;
    m_nState ^= m_nState >> 17;
    m_nState ^= m_nState << 5;
    return float(m_nState) * (1.0f / 4294967296.0f);
}

int16_t CTpdfDither::Quantise(float value)
{
    const float noise = Uniform() - Uniform();
    if (std::isnan(value))
        return 0;
    const float scaled = std::nearbyint(value * 32768.0f + noise);
    if (scaled >= 32767.0f)
        return 32767;
    if (scaled <= -32768.0f)
        return -32768;
    return int16_t(scaled);
}
