#include "CSoundFileReader.h"

#include "RegularFile.h"

#include <QRegularExpression>

#include <sndfile.h>

namespace {
// Writers that cannot seek back put this or more in a chunk's size: the length was never known.
const int64_t STREAMED_SIZE = 0x7FFFF000;

uint32_t SampleBytes(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return 1;
    case SF_FORMAT_PCM_16:
        return 2;
    case SF_FORMAT_PCM_24:
        return 3;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
        return 4;
    case SF_FORMAT_DOUBLE:
        return 8;
    default:
        return 0;
    }
}

QString SampleKindText(int format)
{
    const int subtype = format & SF_FORMAT_SUBMASK;
    if (subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE)
        return QStringLiteral("%1-bit float").arg(8 * SampleBytes(format));
    if (SampleBytes(format) != 0)
        return QStringLiteral("%1-bit").arg(8 * SampleBytes(format));
    SF_FORMAT_INFO info = {};
    info.format = subtype;
    sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info);
    return QString::fromUtf8(info.name ? info.name : "compressed");
}

// libsndfile holds a WAV or AIFF file whose sample chunk runs past the end of the file to what
// is there, and notes the size the header claimed in its log ("data : 192000 (should be 90000)").
// The claim is the length the file was written with.
int64_t HeaderFrames(sf_private_tag *file, const SF_INFO &info)
{
    if (info.frames <= 0 || info.frames == SF_COUNT_MAX ||
        (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG)
        return -1;
    char log[8192] = {};
    sf_command(file, SFC_GET_LOG_INFO, log, sizeof log);
    static const QRegularExpression clipped(
        QStringLiteral("^ *(?:data|SSND) *: *(\\d+) \\(should be (\\d+)\\)"),
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = clipped.match(QString::fromLatin1(log));
    if (!match.hasMatch())
        return info.frames;
    const int64_t claimed = match.captured(1).toLongLong();
    const int64_t present = match.captured(2).toLongLong();
    if (claimed >= STREAMED_SIZE || present <= 0 || claimed <= present)
        return info.frames;
    const uint32_t frameBytes = SampleBytes(info.format) * uint32_t(info.channels);
    if (frameBytes == 0)
        return int64_t(double(info.frames) * double(claimed) / double(present));
    return info.frames + (claimed - present) / frameBytes;
}
} // namespace

CSoundFileReader::~CSoundFileReader()
{
    if (m_pFile)
        sf_close(m_pFile);
}

bool CSoundFileReader::Open(const QString &strPath, QString &errorText)
{
    const int handle = OpenRegularFile(strPath, errorText);
    if (handle < 0)
        return false;
    SF_INFO info = {};
    // libsndfile closes the handle, also when it cannot read the file.
    m_pFile = sf_open_fd(handle, SFM_READ, &info, SF_TRUE);
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
    m_nDeclaredFrames = HeaderFrames(m_pFile, info);
    m_strSample = SampleKindText(info.format);
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
