#include "CSoundFileReader.h"

#include <QFile>

#include <sndfile.h>

CSoundFileReader::~CSoundFileReader()
{
    if (m_pFile)
        sf_close(m_pFile);
}

bool CSoundFileReader::Open(const QString &strPath, QString &errorText)
{
    SF_INFO info = {};
    m_pFile = sf_open(QFile::encodeName(strPath).constData(), SFM_READ, &info);
    if (!m_pFile) {
        errorText = QString::fromUtf8(sf_strerror(nullptr));
        return false;
    }
    if (info.channels <= 0 || info.samplerate <= 0) {
        errorText = QStringLiteral("the file declares no channels or no sample rate");
        return false;
    }
    m_nChannels = uint32_t(info.channels);
    m_nRate = uint32_t(info.samplerate);
    m_nFrames = info.frames;
    return true;
}

int64_t CSoundFileReader::Read(float *frames, int64_t frameCount)
{
    const sf_count_t read = sf_readf_float(m_pFile, frames, frameCount);
    if (read == 0 && sf_error(m_pFile) != SF_ERR_NO_ERROR)
        return -1;
    return read;
}

QString CSoundFileReader::ErrorText() const
{
    return QString::fromUtf8(sf_strerror(m_pFile));
}
