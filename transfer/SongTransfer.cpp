#include "SongTransfer.h"

#include "CLooperSongTable.h"
#include "CWave.h"
#include "DeviceModel.h"
#include "FormatText.h"
#include "Messages.h"

#include <QFileInfo>

#include <cstring>

namespace {

const char *const FORMAT_REFUSED = "Wave file '%s' format not supported";
const char *const NO_SAMPLES = "Wave file '%s' has no samples";
// Convert emits up to two frames more than the clip's span at the device's rate.
const uint64_t CONVERT_EXTRA_FRAMES = 2;

QString SampleBitsText(uint32_t bits)
{
    return QStringLiteral("%1-bit").arg(bits);
}

// What Convert and SpreadToDeviceChannels do to the channels of a clip.
QString ChannelsKeptText(uint32_t fileChannels, uint32_t deviceChannels)
{
    if (fileChannels > 1)
        return deviceChannels > 1 ? QStringLiteral(", left channel in both channels")
                                  : QStringLiteral(", left channel kept");
    return deviceChannels > 1 ? QStringLiteral(", in both channels") : QString();
}

// The conversion picks a frame layout by block align alone; a clip whose sample width or
// channel count says otherwise (32-bit mono has the block align of 16-bit stereo) would be
// read as that layout and turned into noise.
bool LayoutMatchesBlockAlign(const WaveFormat &format)
{
    switch (format.blockAlign) {
    case 2:
        return format.bitsPerSample == 16 && format.channels == 1;
    case 3:
        return format.bitsPerSample == 24 && format.channels == 1;
    case 4:
        return format.bitsPerSample == 16 && format.channels == 2;
    case 6:
        return format.bitsPerSample == 24 && format.channels == 2;
    default:
        return false;
    }
}

// The longest song a slot of the model holds, with what Convert adds at most; no limit for a
// model without a geometry.
SClipLimit DeviceClipLimit(const DeviceModel *model)
{
    if (!model || !model->geometry)
        return SClipLimit();
    const FlashGeometry &geometry = *model->geometry;
    const uint64_t frames = LongestSongBytes(geometry) / FrameBytes(geometry);
    return SClipLimit{frames + CONVERT_EXTRA_FRAMES, geometry.sampleRate};
}

uint32_t DeviceChannels(const DeviceModel *model)
{
    return model && model->geometry ? model->geometry->channels : 1;
}

} // namespace

int32_t UploadSongToFile(CLooperSongTable &table, uint32_t slot, uint32_t productId, const QString &strPath,
                         QObject *progressTarget, SFileFailure &failure)
{
    failure = SFileFailure();
    CLooperSongBase *store = table.Store(slot);
    const DeviceModel *model = FindDeviceModel(productId);
    if (!store || !store->HasSong() || !model || !model->geometry)
        return RESULT_BAD_SLOT;
    const uint32_t size = store->GetSize();
    uint8_t *array = new uint8_t[size];
    const int32_t result = table.ReadSong(slot, array, size, progressTarget);
    if (result != RESULT_OK) {
        delete[] array;
        return result;
    }
    const FlashGeometry &geometry = *model->geometry;
    CWave wave;
    wave.SetFormat(uint16_t(geometry.channels), geometry.sampleRate, uint16_t(geometry.bitsPerSample));
    wave.SetData(array, size / ((geometry.bitsPerSample / 8) * geometry.channels));
    wave.Convert(TARGET_RATE_UPLOAD);
    wave.Save(strPath, failure);
    return result;
}

QString UploadConversionText(uint32_t productId)
{
    const DeviceModel *model = FindDeviceModel(productId);
    if (!model || !model->geometry)
        return QString();
    const FlashGeometry &geometry = *model->geometry;
    return ConversionText(SampleFormatText(geometry.sampleRate, SampleBitsText(geometry.bitsPerSample),
                                           geometry.channels),
                          SampleFormatText(TARGET_RATE_UPLOAD, SampleBitsText(24), 1)) +
           (geometry.channels > 1 ? QStringLiteral(", left channel kept") : QString());
}

bool LoadWaveForDevice(CWave &wave, const QString &strPath, uint32_t productId, SFileFailure &failure,
                       QString &conversion)
{
    const DeviceModel *model = FindDeviceModel(productId);
    if (!wave.Load(strPath, DeviceClipLimit(model), failure))
        return false;
    const QByteArray name = QFileInfo(strPath).filePath().toUtf8();
    if (!LayoutMatchesBlockAlign(wave.format))
        return SFileFailure::Refuse(failure, FORMAT_REFUSED, name, true);
    if (wave.buffer.frameCount == 0)
        return SFileFailure::Refuse(failure, NO_SAMPLES, name);
    const WaveFormat source = wave.format;
    wave.Convert(TARGET_RATE_DOWNLOAD);
    if (!wave.HasFormat(TargetFormat(TARGET_RATE_DOWNLOAD)))
        return SFileFailure::Refuse(failure, FORMAT_REFUSED, name, true);
    const uint32_t channels = DeviceChannels(model);
    SpreadToDeviceChannels(wave, channels);
    conversion = ConversionText(SampleFormatText(source.samplesPerSec, SampleBitsText(source.bitsPerSample),
                                                 source.channels),
                                SampleFormatText(TARGET_RATE_DOWNLOAD, SampleBitsText(24), channels)) +
                 ChannelsKeptText(source.channels, channels);
    return true;
}

bool LoadWaveForDevice(CWave &wave, const QString &strPath, uint32_t productId)
{
    SFileFailure failure;
    QString conversion;
    if (LoadWaveForDevice(wave, strPath, productId, failure, conversion))
        return true;
    ShowMessage(failure.text);
    return false;
}

void SpreadToDeviceChannels(CWave &wave, uint32_t channels)
{
    if (channels < 2)
        return;
    const uint32_t frames = wave.buffer.frameCount;
    const uint8_t *mono = wave.buffer.data;
    uint8_t *spread = new uint8_t[size_t(frames) * channels * 3];
    for (size_t k = 0; k < frames; ++k) {
        for (uint32_t c = 0; c < channels; ++c)
            std::memcpy(spread + (k * channels + c) * 3, mono + k * 3, 3);
    }
    wave.SetFormat(uint16_t(channels), wave.format.samplesPerSec, 24);
    wave.SetData(spread, frames);
}
