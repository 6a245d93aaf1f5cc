#include "AudioExport.h"

#include "CFileReplacement.h"
#include "CLooperSongTable.h"
#include "CSoundFileWriter.h"
#include "CStreamResampler.h"
#include "DeviceSamples.h"
#include "FormatText.h"
#include "Messages.h"

#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace {
const size_t CHUNK_FRAMES = 16384;

void ShowWriteProblem(const QString &strPath, const QString &reason)
{
    ShowMessageF("Audio file '%s' could not be written: %s",
                 QFileInfo(strPath).filePath().toUtf8().constData(), reason.toUtf8().constData());
}

bool CheckFormat(const QString &strPath, const SAudioExportFormat &format, int &sfFormat, QString &reason)
{
    if (format.rate < EXPORT_RATE_MIN || format.rate > EXPORT_RATE_MAX) {
        reason = QStringLiteral("the rate must lie between %1 and %2 Hz")
                     .arg(EXPORT_RATE_MIN)
                     .arg(EXPORT_RATE_MAX);
        return false;
    }
    return SoundFileFormatFor(strPath, format.bits, sfFormat, reason) &&
           CFileReplacement::CanReplace(strPath, reason);
}

QString SampleBitsText(AudioSampleBits bits)
{
    if (bits == SAMPLE_BITS_16)
        return QStringLiteral("16-bit");
    return bits == SAMPLE_BITS_24 ? QStringLiteral("24-bit") : QStringLiteral("32-bit float");
}

bool ConvertAndWrite(const uint8_t *song, size_t frames, const FlashGeometry &geometry, uint32_t rate,
                     CSoundFileWriter &writer, QString &reason)
{
    const uint32_t channels = geometry.channels;
    CStreamResampler resampler(geometry.sampleRate, rate, channels);
    if (!resampler.Valid(reason))
        return false;
    std::vector<float> decoded(CHUNK_FRAMES * channels);
    const CStreamResampler::Sink write = [&writer, &reason](const float *converted, size_t count) {
        return writer.Write(converted, count, reason);
    };
    for (size_t done = 0; done < frames;) {
        const size_t count = std::min(CHUNK_FRAMES, frames - done);
        DecodeDeviceSamples(song + done * channels * DEVICE_SAMPLE_BYTES, count * channels, decoded.data());
        if (!resampler.Process(decoded.data(), count, write))
            return false;
        done += count;
    }
    return resampler.Flush(write);
}
} // namespace

bool SaveSongAsAudioFile(const uint8_t *song, uint32_t length, const FlashGeometry &geometry,
                         const QString &strPath, const SAudioExportFormat &format)
{
    int sfFormat = 0;
    QString reason;
    if (!CheckFormat(strPath, format, sfFormat, reason)) {
        ShowWriteProblem(strPath, reason);
        return false;
    }
    CSoundFileWriter writer(strPath);
    const size_t frames = length / (geometry.channels * DEVICE_SAMPLE_BYTES);
    if (!writer.Open(sfFormat, format.rate, geometry.channels, reason) ||
        !ConvertAndWrite(song, frames, geometry, format.rate, writer, reason) || !writer.Commit(reason)) {
        ShowWriteProblem(strPath, reason.isEmpty() ? QStringLiteral("the rate conversion failed") : reason);
        return false;
    }
    return true;
}

QString ExportConversionText(const FlashGeometry &geometry, const QString &strPath,
                             const SAudioExportFormat &format)
{
    const QString suffix = QFileInfo(strPath).suffix().toLower();
    const QString source = SampleFormatText(geometry.sampleRate, QStringLiteral("24-bit"), geometry.channels);
    if (suffix == "ogg")
        return ConversionText(
            source,
            QStringLiteral("%1 Hz %2 Ogg Vorbis").arg(format.rate).arg(ChannelCountText(geometry.channels)));
    const QString kind = suffix.startsWith("aif") ? QStringLiteral("AIFF") : suffix.toUpper();
    return ConversionText(
        source, QStringLiteral("%1 %2%3").arg(
                    SampleFormatText(format.rate, SampleBitsText(format.bits), geometry.channels), kind,
                    format.bits == SAMPLE_BITS_16 ? QStringLiteral(", dithered") : QString()));
}

int32_t ExportSongToAudioFile(CLooperSongTable &table, uint32_t slot, uint32_t productId,
                              const QString &strPath, const SAudioExportFormat &format,
                              QObject *progressTarget, bool &saved)
{
    saved = false;
    CLooperSongBase *store = table.Store(slot);
    const DeviceModel *model = FindDeviceModel(productId);
    if (!store || !store->HasSong() || !model || !model->geometry)
        return RESULT_BAD_SLOT;
    int sfFormat = 0;
    QString reason;
    // A name or rate that cannot be written is told before the song is read out.
    if (!CheckFormat(strPath, format, sfFormat, reason)) {
        ShowWriteProblem(strPath, reason);
        return RESULT_OK;
    }
    std::vector<uint8_t> song(store->GetSize());
    const int32_t result = table.ReadSong(slot, song.data(), uint32_t(song.size()), progressTarget);
    if (result == RESULT_OK)
        saved = SaveSongAsAudioFile(song.data(), uint32_t(song.size()), *model->geometry, strPath, format);
    return result;
}
