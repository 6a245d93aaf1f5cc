#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

struct soxr;

// Converts interleaved float frames from one rate to another with libsoxr's high-quality recipe, in
// pieces, so that a long song never has to be held twice: whatever the ratio, the converted frames
// reach the caller in pieces of at most PIECE_FRAMES frames. Equal rates pass the samples through.
class CStreamResampler {
public:
    // Takes a piece of converted frames; false stops the conversion.
    using Sink = std::function<bool(const float *frames, size_t frameCount)>;
    static const size_t PIECE_FRAMES = 16384;

    CStreamResampler(uint32_t inputRate, uint32_t outputRate, uint32_t channels);
    ~CStreamResampler();
    CStreamResampler(const CStreamResampler &) = delete;
    CStreamResampler &operator=(const CStreamResampler &) = delete;

    // False with the library's reason when it could not be set up.
    bool Valid(QString &errorText) const;
    // Feeds frameCount more input frames and hands sink the frames they complete. False when the
    // library or the sink fails.
    bool Process(const float *input, size_t frameCount, const Sink &sink);
    // Hands sink the frames still held back; call once after the last input.
    bool Flush(const Sink &sink);

private:
    bool Drain(const float *input, size_t frameCount, const Sink &sink);

    std::vector<float> m_output;
    soxr *m_pSoxr = nullptr;
    const char *m_pError = nullptr;
    uint32_t m_nChannels;
};
