#include "CSoundFileWriter.h"

#include "DeviceSamples.h"
#include "RegularFile.h"

#include <sndfile.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {
CFileReplacement &FileOf(void *writer)
{
    return static_cast<CSoundFileWriter *>(writer)->File();
}

sf_count_t FileLength(void *writer)
{
    struct stat info = {};
    return ::fstat(FileOf(writer).Handle(), &info) == 0 ? sf_count_t(info.st_size) : -1;
}

sf_count_t Seek(sf_count_t offset, int whence, void *writer)
{
    const off_t position = ::lseek(FileOf(writer).Handle(), off_t(offset), whence);
    if (position < 0)
        FileOf(writer).Fail(errno);
    return sf_count_t(position);
}

sf_count_t Read(void *data, sf_count_t count, void *writer)
{
    ssize_t read = 0;
    do
        read = ::read(FileOf(writer).Handle(), data, size_t(count));
    while (read < 0 && errno == EINTR);
    return read < 0 ? 0 : sf_count_t(read);
}

sf_count_t Write(const void *data, sf_count_t count, void *writer)
{
    return FileOf(writer).Write(data, size_t(count)) ? count : 0;
}

sf_count_t Tell(void *writer)
{
    return Seek(0, SEEK_CUR, writer);
}

SF_VIRTUAL_IO g_io = {&FileLength, &Seek, &Read, &Write, &Tell};
} // namespace

CSoundFileWriter::CSoundFileWriter(const QString &strPath) : m_file(strPath) {}

CSoundFileWriter::~CSoundFileWriter()
{
    if (m_pFile)
        sf_close(m_pFile);
}

bool CSoundFileWriter::Open(int format, uint32_t rate, uint32_t channels, QString &errorText)
{
    if (!m_file.Open(errorText))
        return false;
    SF_INFO info = {};
    info.format = format;
    info.samplerate = int(rate);
    info.channels = int(channels);
    m_pFile = sf_open_virtual(&g_io, SFM_WRITE, &info, this);
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
    errorText =
        m_file.Error() != 0 ? SystemErrorText(m_file.Error()) : QString::fromUtf8(sf_strerror(m_pFile));
    return false;
}

// What libsndfile writes at close (the header's sizes, the encoder's last blocks) goes through the
// checked write too, so a short write there fails the commit with its own reason.
bool CSoundFileWriter::Commit(QString &errorText)
{
    const int closed = sf_close(m_pFile);
    m_pFile = nullptr;
    if (closed != 0 && m_file.Error() == 0) {
        // The temporary file goes with the writer.
        errorText = QString::fromUtf8(sf_error_number(closed));
        return false;
    }
    return m_file.Commit(errorText);
}
