#include "CSoundFileWriter.h"

#include "DeviceSamples.h"

#include <sndfile.h>

CSoundFileWriter::CSoundFileWriter(const QString &strPath) : m_file(strPath) {}

CSoundFileWriter::~CSoundFileWriter()
{
    if (m_pFile)
        sf_close(m_pFile);
}

bool CSoundFileWriter::Open(int format, uint32_t rate, uint32_t channels, QString &errorText)
{
    if (!m_file.open(QIODevice::WriteOnly)) {
        errorText = m_file.errorString();
        return false;
    }
    SF_INFO info = {};
    info.format = format;
    info.samplerate = int(rate);
    info.channels = int(channels);
    m_pFile = sf_open_fd(m_file.handle(), SFM_WRITE, &info, SF_FALSE);
    if (!m_pFile) {
        errorText = QString::fromUtf8(sf_strerror(nullptr));
        return false;
    }
    m_nSubtype = format & SF_FORMAT_SUBMASK;
    m_nChannels = channels;
    return true;
}

bool CSoundFileWriter::Write(const float *frames, size_t frameCount, QString &errorText)
{
    const size_t count = frameCount * m_nChannels;
    if (m_nSubtype == SF_FORMAT_PCM_16) {
        m_shorts.resize(count);
        for (size_t i = 0; i < count; ++i)
            m_shorts[i] = m_dither.Quantise(frames[i]);
        return Written(sf_writef_short(m_pFile, m_shorts.data(), sf_count_t(frameCount)), frameCount,
                       errorText);
    }
    if (m_nSubtype == SF_FORMAT_PCM_24) {
        // libsndfile takes the top 24 bits of each int.
        m_ints.resize(count);
        for (size_t i = 0; i < count; ++i)
            m_ints[i] = int32_t(uint32_t(Quantise24(frames[i])) << 8);
        return Written(sf_writef_int(m_pFile, m_ints.data(), sf_count_t(frameCount)), frameCount, errorText);
    }
    return Written(sf_writef_float(m_pFile, frames, sf_count_t(frameCount)), frameCount, errorText);
}

bool CSoundFileWriter::Written(int64_t count, size_t frameCount, QString &errorText)
{
    if (count == int64_t(frameCount))
        return true;
    errorText = QString::fromUtf8(sf_strerror(m_pFile));
    return false;
}

bool CSoundFileWriter::Commit(QString &errorText)
{
    const int closed = sf_close(m_pFile);
    m_pFile = nullptr;
    if (closed != 0) {
        errorText = QString::fromUtf8(sf_error_number(closed));
        m_file.cancelWriting();
        return false;
    }
    if (m_file.commit())
        return true;
    errorText = m_file.errorString();
    return false;
}
