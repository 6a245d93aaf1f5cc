#include "CWave.h"

#include <boost/shared_array.hpp>

#include <algorithm>

namespace {

uint32_t Gcd(uint32_t a, uint32_t b)
{
    while (b != 0) {
        const uint32_t rest = a % b;
        a = b;
        b = rest;
    }
    return a;
}

int64_t SignExtend24(int64_t value)
{
    return (value & 0x800000) ? value - (int64_t(1) << 24) : value;
}

// The first sample of each frame as a signed 24-bit value; false for a layout not handled.
bool ExtractFirstChannel(const uint8_t *data, uint32_t frames, uint16_t blockAlign, int64_t *x)
{
    if (blockAlign != 2 && blockAlign != 3 && blockAlign != 4 && blockAlign != 6)
        return false;
    const bool sixteenBit = blockAlign == 2 || blockAlign == 4;
    for (uint32_t k = 0; k < frames; ++k) {
        const uint8_t *b = data + size_t(k) * blockAlign;
        const int64_t raw = sixteenBit ? (int64_t(b[1]) << 16) | (int64_t(b[0]) << 8)
                                       : (int64_t(b[2]) << 16) | (int64_t(b[1]) << 8) | b[0];
        x[k] = SignExtend24(raw);
    }
    return true;
}

class CSampleWriter {
public:
    explicit CSampleWriter(uint8_t *output) : m_pOutput(output) {}
    void Emit(int64_t y)
    {
        m_pOutput[m_nBytes++] = uint8_t(y);
        m_pOutput[m_nBytes++] = uint8_t(y >> 8);
        m_pOutput[m_nBytes++] = uint8_t(y >> 16);
    }
    uint64_t Bytes() const { return m_nBytes; }

private:
    uint8_t *m_pOutput;
    uint64_t m_nBytes = 0;
};

// Linear interpolation on the exact ratio L/M between the pair x[i-1], x[i].
void Resample(const int64_t *x, uint32_t frames, int64_t L, int64_t M, CSampleWriter &writer)
{
    writer.Emit(x[0]);
    uint64_t i = 0;
    int64_t acc = 0;
    for (;;) {
        acc += M;
        bool done = false;
        while (acc >= L) {
            ++i;
            acc -= L;
            if (i >= uint64_t(frames) - 1) {
                done = true;
                break;
            }
        }
        if (done)
            break;
        const int64_t previous = i == 0 ? x[0] : x[i - 1];
        writer.Emit(((L - acc) * previous + acc * x[i]) / L);
    }
    if (acc < L / 2)
        writer.Emit(x[frames - 1]);
}

} // namespace

void CWave::Convert(uint32_t targetRate)
{
    const uint32_t frames = buffer.frameCount;
    const WaveFormat target = TargetFormat(targetRate);
    // A rate of 0 gives no ratio, a byte rate of 0 marks a broken header: such a clip stays as it is.
    if (frames == 0 || HasFormat(target) || format.samplesPerSec == 0 || format.avgBytesPerSec == 0 ||
        targetRate == 0)
        return;
    const uint32_t g = Gcd(format.samplesPerSec, targetRate);
    const int64_t L = targetRate / g;
    const int64_t M = format.samplesPerSec / g;
    // Sized by the frames the resampling can emit, from the two rates alone; a clip longer than
    // a 32-bit frame count describes stays as it is.
    const uint64_t mostFrames = uint64_t(frames) * uint64_t(L) / uint64_t(M) + 3;
    if (mostFrames > UINT32_MAX)
        return;
    boost::shared_array<int64_t> x(new int64_t[frames]);
    if (!ExtractFirstChannel(buffer.data, frames, format.blockAlign, x.get()))
        return;
    const uint64_t capacity = 3 * mostFrames;
    uint8_t *output = new uint8_t[size_t(capacity)];
    CSampleWriter writer(output);
    Resample(x.get(), frames, L, M, writer);
    format = target;
    buffer.Attach(output, uint32_t(writer.Bytes() / 3), 3);
}
