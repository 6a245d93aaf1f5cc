#include "AudioImport.h"

#include "CSoundFileReader.h"
#include "CStreamResampler.h"
#include "DeviceSamples.h"
#include "Messages.h"

#include <QFileInfo>

#include <algorithm>

namespace {
const int64_t CHUNK_FRAMES = 16384;

uint64_t LongestSong(const FlashGeometry &geometry)
{
    return uint64_t(geometry.maxBlocksPerSong) * geometry.pagesPerBlock * geometry.dataBytesPerPage;
}

void ShowFileProblem(const QString &strPath, const QString &reason)
{
    ShowMessageF("Audio file '%s' could not be imported: %s",
                 QFileInfo(strPath).filePath().toUtf8().constData(), reason.toUtf8().constData());
}

// Room for the whole song at once, as far as the file tells its length, so it is never copied.
void ReserveSong(const CSoundFileReader &reader, const FlashGeometry &geometry, std::vector<uint8_t> &song)
{
    const double frames = double(std::max<int64_t>(reader.Frames(), 0)) * geometry.sampleRate / reader.Rate();
    const uint64_t bytes =
        uint64_t(frames + 64) * geometry.channels * DEVICE_SAMPLE_BYTES + geometry.groupSize;
    song.reserve(size_t(std::min(bytes, LongestSong(geometry) + geometry.groupSize)));
}

void PadToWholeGroups(const FlashGeometry &geometry, std::vector<uint8_t> &song)
{
    const size_t group = geometry.groupSize;
    if (group != 0)
        song.resize((song.size() + group - 1) / group * group, 0x00);
}

class CImport {
public:
    CImport(CSoundFileReader &reader, const FlashGeometry &geometry, const CChannelPicker &picker)
        : m_reader(reader), m_picker(picker),
          m_resampler(reader.Rate(), geometry.sampleRate, geometry.channels),
          m_nSongChannels(geometry.channels), m_nLongest(LongestSong(geometry))
    {
    }
    // The failure's reason, empty for a song that is too long.
    bool Run(std::vector<uint8_t> &song, QString &reason)
    {
        if (!m_resampler.Valid(reason))
            return false;
        std::vector<float> fileFrames(size_t(CHUNK_FRAMES) * m_reader.Channels());
        std::vector<float> songFrames(size_t(CHUNK_FRAMES) * m_nSongChannels);
        const float *converted = nullptr;
        size_t convertedFrames = 0;
        for (;;) {
            const int64_t read = m_reader.Read(fileFrames.data(), CHUNK_FRAMES);
            if (read < 0) {
                reason = m_reader.ErrorText();
                return false;
            }
            if (read == 0)
                break;
            m_picker.Fill(fileFrames.data(), size_t(read), songFrames.data());
            const bool ok = m_resampler.Process(songFrames.data(), size_t(read), converted, convertedFrames);
            if (!Take(ok, converted, convertedFrames, song, reason))
                return false;
        }
        const bool ok = m_resampler.Flush(converted, convertedFrames);
        return Take(ok, converted, convertedFrames, song, reason);
    }

private:
    bool Take(bool convertedOk, const float *converted, size_t frames, std::vector<uint8_t> &song,
              QString &reason) const
    {
        if (!convertedOk) {
            reason = QStringLiteral("the rate conversion failed");
            return false;
        }
        AppendDeviceSamples(converted, frames * m_nSongChannels, song);
        if (song.size() <= m_nLongest)
            return true;
        reason.clear();
        return false;
    }

    CSoundFileReader &m_reader;
    const CChannelPicker &m_picker;
    CStreamResampler m_resampler;
    uint32_t m_nSongChannels;
    uint64_t m_nLongest;
};
} // namespace

bool ConvertAudioFileForDevice(const QString &strPath, const FlashGeometry &geometry,
                               AudioChannelChoice choice, std::vector<uint8_t> &song)
{
    song.clear();
    CSoundFileReader reader;
    QString reason;
    if (!reader.Open(strPath, reason)) {
        ShowFileProblem(strPath, reason);
        return false;
    }
    const CChannelPicker picker(choice, reader.Channels(), geometry.channels);
    if (!picker.Valid()) {
        ShowFileProblem(strPath, QStringLiteral("it has one channel only"));
        return false;
    }
    ReserveSong(reader, geometry, song);
    if (!CImport(reader, geometry, picker).Run(song, reason)) {
        song.clear();
        song.shrink_to_fit();
        if (reason.isEmpty())
            ShowResult(RESULT_FILE_TOO_LARGE);
        else
            ShowFileProblem(strPath, reason);
        return false;
    }
    PadToWholeGroups(geometry, song);
    if (song.empty()) {
        ShowFileProblem(strPath, QStringLiteral("it holds no samples"));
        return false;
    }
    return true;
}
