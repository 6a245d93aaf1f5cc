#include "AudioImport.h"

#include "CSoundFileReader.h"
#include "CStreamResampler.h"
#include "DeviceSamples.h"
#include "FormatText.h"
#include "Messages.h"

#include <QFileInfo>

#include <algorithm>

namespace {
// The most frames a piece holds, read from the file or converted from it, and the most samples
// read at once from a file of many channels.
const int64_t CHUNK_FRAMES = 16384;
const int64_t CHUNK_SAMPLES = 65536;
// Room for the frames the resampler's rounding may add to the length the rates give.
const uint64_t SPARE_FRAMES = 64;

bool ShowFileProblem(const QString &strPath, const QString &reason)
{
    ShowMessageF("Audio file '%s' could not be imported: %s",
                 QFileInfo(strPath).filePath().toUtf8().constData(), reason.toUtf8().constData());
    return false;
}

bool ShowTooLong(const QString &strPath, const FlashGeometry &geometry, uint64_t songFrames)
{
    const QString slot = LengthText(LongestSongBytes(geometry) / FrameBytes(geometry), geometry.sampleRate);
    if (songFrames == 0)
        return ShowFileProblem(strPath, QStringLiteral("it lasts more than the %1 a slot holds").arg(slot));
    return ShowFileProblem(strPath, QStringLiteral("it lasts %1, more than the %2 a slot holds")
                                        .arg(LengthText(songFrames, geometry.sampleRate), slot));
}

// The song frames that frames file frames at rate become at the looper's rate, rounded down; far
// more than any slot holds stays far more.
uint64_t SongFramesFor(int64_t frames, uint32_t rate, const FlashGeometry &geometry)
{
    const double LIMIT = 1e18;
    return uint64_t(std::min(double(frames) * geometry.sampleRate / rate, LIMIT));
}

// File frames per piece: as many as give at most CHUNK_FRAMES song frames, so that a file at 1 Hz
// does not convert into gigabytes at once.
int64_t FileChunkFrames(const CSoundFileReader &reader, const FlashGeometry &geometry)
{
    const int64_t converted = CHUNK_FRAMES * reader.Rate() / geometry.sampleRate;
    return std::max<int64_t>(1, std::min({converted, CHUNK_FRAMES, CHUNK_SAMPLES / reader.Channels()}));
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
          m_nSongChannels(geometry.channels), m_nLongest(LongestSongBytes(geometry)),
          m_nChunkFrames(FileChunkFrames(reader, geometry))
    {
    }
    // The failure's reason, empty for a song that is too long.
    bool Run(std::vector<uint8_t> &song, QString &reason)
    {
        if (!m_resampler.Valid(reason))
            return false;
        std::vector<float> fileFrames(size_t(m_nChunkFrames) * m_reader.Channels());
        std::vector<float> songFrames(size_t(m_nChunkFrames) * m_nSongChannels);
        const CStreamResampler::Sink take = [this, &song](const float *frames, size_t count) {
            AppendDeviceSamples(frames, count * m_nSongChannels, song);
            return song.size() <= m_nLongest;
        };
        for (;;) {
            const int64_t read = m_reader.Read(fileFrames.data(), m_nChunkFrames);
            if (read < 0) {
                m_bReadFailed = true;
                reason = m_reader.ErrorText();
                return false;
            }
            if (read == 0)
                break;
            m_nFramesRead += read;
            m_picker.Fill(fileFrames.data(), size_t(read), songFrames.data());
            if (!m_resampler.Process(songFrames.data(), size_t(read), take))
                return Failed(song, reason);
        }
        return m_resampler.Flush(take) || Failed(song, reason);
    }
    int64_t FramesRead() const { return m_nFramesRead; }
    bool ReadFailed() const { return m_bReadFailed; }

private:
    // A song that grew past the longest is too long (no reason); anything else is the conversion's fault.
    bool Failed(const std::vector<uint8_t> &song, QString &reason) const
    {
        if (song.size() > m_nLongest)
            reason.clear();
        else
            reason = QStringLiteral("the rate conversion failed");
        return false;
    }

    CSoundFileReader &m_reader;
    const CChannelPicker &m_picker;
    CStreamResampler m_resampler;
    uint32_t m_nSongChannels;
    uint64_t m_nLongest;
    int64_t m_nChunkFrames;
    int64_t m_nFramesRead = 0;
    bool m_bReadFailed = false;
};

// Room for the whole song at once, as far as the file declares its length, so that it is never
// copied; a file that declares none gets room for the longest song, which costs only address space
// until it is filled.
bool ReserveSong(const QString &strPath, const CSoundFileReader &reader, const FlashGeometry &geometry,
                 std::vector<uint8_t> &song)
{
    const uint64_t longest = LongestSongBytes(geometry);
    if (reader.DeclaredFrames() < 0) {
        song.reserve(size_t(longest + geometry.groupSize));
        return true;
    }
    const uint64_t frames = SongFramesFor(reader.DeclaredFrames(), reader.Rate(), geometry);
    if (frames > longest / FrameBytes(geometry) + 1)
        return ShowTooLong(strPath, geometry, frames);
    song.reserve(
        size_t(std::min((frames + SPARE_FRAMES) * FrameBytes(geometry), longest) + geometry.groupSize));
    return true;
}

bool Convert(const QString &strPath, CSoundFileReader &reader, const FlashGeometry &geometry,
             const CChannelPicker &picker, std::vector<uint8_t> &song)
{
    CImport import(reader, geometry, picker);
    QString reason;
    const bool converted = import.Run(song, reason);
    const int64_t declared = reader.DeclaredFrames();
    // A file cut short ends early or with a read error; either way less than it declares was read.
    if (declared > import.FramesRead() && (converted || import.ReadFailed()))
        return ShowFileProblem(
            strPath,
            QStringLiteral("it is truncated: %1 of %2 frames").arg(import.FramesRead()).arg(declared));
    if (converted)
        return true;
    if (!reason.isEmpty())
        return ShowFileProblem(strPath, reason);
    return ShowTooLong(strPath, geometry,
                       declared < 0 ? 0 : SongFramesFor(declared, reader.Rate(), geometry));
}
} // namespace

bool ConvertAudioFileForDevice(const QString &strPath, const FlashGeometry &geometry,
                               AudioChannelChoice choice, std::vector<uint8_t> &song, SImportSummary &summary)
{
    song.clear();
    CSoundFileReader reader;
    QString reason;
    if (!reader.Open(strPath, reason))
        return ShowFileProblem(strPath, reason);
    const CChannelPicker picker(choice, reader.Channels(), geometry.channels);
    if (!picker.Valid())
        return ShowFileProblem(strPath, QStringLiteral("it has one channel only"));
    if (!ReserveSong(strPath, reader, geometry, song) || !Convert(strPath, reader, geometry, picker, song)) {
        song.clear();
        song.shrink_to_fit();
        return false;
    }
    summary.unpaddedBytes = uint32_t(song.size());
    PadToWholeGroups(geometry, song);
    if (song.empty())
        return ShowFileProblem(strPath, QStringLiteral("it holds no samples"));
    const QString channels = picker.Description();
    summary.conversion =
        ConversionText(SampleFormatText(reader.Rate(), reader.SampleText(), reader.Channels()),
                       SampleFormatText(geometry.sampleRate, QStringLiteral("24-bit"), geometry.channels)) +
        (channels.isEmpty() ? QString() : QStringLiteral(", ") + channels);
    return true;
}

bool ConvertAudioFileForDevice(const QString &strPath, const FlashGeometry &geometry,
                               AudioChannelChoice choice, std::vector<uint8_t> &song)
{
    SImportSummary summary;
    return ConvertAudioFileForDevice(strPath, geometry, choice, song, summary);
}

bool AudioFileReadable(const QString &strPath)
{
    CSoundFileReader reader;
    QString reason;
    return reader.Open(strPath, reason);
}
