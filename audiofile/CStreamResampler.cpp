#include "CStreamResampler.h"

#include <soxr.h>

#include <cmath>

namespace {
// Output room for one call: the converted length of the input plus the filter's share.
const size_t OUTPUT_MARGIN_FRAMES = 1024;
} // namespace

CStreamResampler::CStreamResampler(uint32_t inputRate, uint32_t outputRate, uint32_t channels)
    : m_dRatio(double(outputRate) / inputRate), m_nChannels(channels)
{
    if (inputRate == outputRate)
        return;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_error_t error = nullptr;
    m_pSoxr = soxr_create(inputRate, outputRate, channels, &error, &io, &quality, nullptr);
    m_pError = error;
}

CStreamResampler::~CStreamResampler()
{
    soxr_delete(m_pSoxr);
}

bool CStreamResampler::Valid(QString &errorText) const
{
    if (!m_pError)
        return true;
    errorText = QString::fromUtf8(m_pError);
    return false;
}

bool CStreamResampler::Process(const float *input, size_t frameCount, const float *&output,
                               size_t &outputFrames)
{
    if (m_pSoxr)
        return Drain(input, frameCount, output, outputFrames);
    output = input;
    outputFrames = frameCount;
    return true;
}

bool CStreamResampler::Flush(const float *&output, size_t &outputFrames)
{
    output = nullptr;
    outputFrames = 0;
    return !m_pSoxr || Drain(nullptr, 0, output, outputFrames);
}

// Room for `frames` frames past the ones collected; grows only, so a steady stream allocates nothing.
float *CStreamResampler::Room(size_t frames)
{
    if (m_output.size() < frames * m_nChannels)
        m_output.resize(frames * m_nChannels);
    return m_output.data();
}

// Feeds the input (null: the end of input) and collects everything soxr hands back for it.
bool CStreamResampler::Drain(const float *input, size_t frameCount, const float *&output,
                             size_t &outputFrames)
{
    const size_t room = size_t(std::ceil(double(frameCount) * m_dRatio)) + OUTPUT_MARGIN_FRAMES;
    size_t collected = 0;
    for (;;) {
        float *buffer = Room(collected + room);
        size_t consumed = 0;
        size_t produced = 0;
        const soxr_error_t error = soxr_process(m_pSoxr, input, frameCount, &consumed,
                                                buffer + collected * m_nChannels, room, &produced);
        collected += produced;
        output = m_output.data();
        outputFrames = collected;
        // Input that soxr neither took nor answered would loop for ever.
        if (error || (input && consumed == 0 && produced == 0))
            return false;
        if (input) {
            input += consumed * m_nChannels;
            frameCount -= consumed;
            if (frameCount == 0)
                return true;
        } else if (produced == 0) {
            return true;
        }
    }
}
