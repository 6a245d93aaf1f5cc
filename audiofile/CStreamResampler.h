#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

struct soxr;

// Converts interleaved float frames from one rate to another with libsoxr's high-quality recipe, in
// pieces, so that a long song never has to be held twice. Equal rates pass the samples through.
class CStreamResampler {
public:
    CStreamResampler(uint32_t inputRate, uint32_t outputRate, uint32_t channels);
    ~CStreamResampler();
    CStreamResampler(const CStreamResampler &) = delete;
    CStreamResampler &operator=(const CStreamResampler &) = delete;

    // False with the library's reason when it could not be set up.
    bool Valid(QString &errorText) const;
    // The frames that frameCount more input frames complete: output points at outputFrames frames, valid
    // until the next call.
    bool Process(const float *input, size_t frameCount, const float *&output, size_t &outputFrames);
    // The frames still held back, likewise; call once after the last input.
    bool Flush(const float *&output, size_t &outputFrames);

private:
    bool Drain(const float *input, size_t frameCount, const float *&output, size_t &outputFrames);
    float *Room(size_t frames);

    std::vector<float> m_output;

    soxr *m_pSoxr = nullptr;
    const char *m_pError = nullptr;
    double m_dRatio;
    uint32_t m_nChannels;
};
