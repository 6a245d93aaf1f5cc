#include "CStreamResampler.h"

#include <soxr.h>

CStreamResampler::CStreamResampler(uint32_t inputRate, uint32_t outputRate, uint32_t channels)
    : m_nChannels(channels)
{
    if (inputRate == outputRate)
        return;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_error_t error = nullptr;
    m_pSoxr = soxr_create(inputRate, outputRate, channels, &error, &io, &quality, nullptr);
    m_pError = error;
    m_output.resize(PIECE_FRAMES * channels);
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

bool CStreamResampler::Process(const float *input, size_t frameCount, const Sink &sink)
{
    if (m_pSoxr)
        return Drain(input, frameCount, sink);
    return sink(input, frameCount);
}

bool CStreamResampler::Flush(const Sink &sink)
{
    return !m_pSoxr || Drain(nullptr, 0, sink);
}

// Feeds the input (null: the end of input) and hands on everything soxr makes of it, one piece of
// output at a time; a full piece means soxr may hold more, so it is asked again before returning.
bool CStreamResampler::Drain(const float *input, size_t frameCount, const Sink &sink)
{
    for (;;) {
        size_t consumed = 0;
        size_t produced = 0;
        const soxr_error_t error =
            soxr_process(m_pSoxr, input, frameCount, &consumed, m_output.data(), PIECE_FRAMES, &produced);
        if (error || (produced != 0 && !sink(m_output.data(), produced)))
            return false;
        // Input that soxr neither took nor answered would loop for ever.
        if (input && frameCount != 0 && consumed == 0 && produced == 0)
            return false;
        if (input) {
            input += consumed * m_nChannels;
            frameCount -= consumed;
        }
        if (produced < PIECE_FRAMES && (input ? frameCount == 0 : produced == 0))
            return true;
    }
}
