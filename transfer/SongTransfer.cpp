#include "SongTransfer.h"

#include "CLooperSongTable.h"
#include "CWave.h"
#include "DeviceModel.h"
#include "Messages.h"

#include <QFileInfo>

#include <cstring>

int32_t UploadSongToFile(CLooperSongTable &table, uint32_t slot, uint32_t productId, const QString &strPath,
                         QObject *progressTarget, bool &saved)
{
    saved = false;
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
    saved = wave.Save(strPath);
    return result;
}

namespace {

const char *const FORMAT_REFUSED = "Wave file '%s' format not supported";
const char *const NO_SAMPLES = "Wave file '%s' has no samples";

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

bool Refuse(const char *message, const QString &strPath)
{
    ShowMessageF(message, QFileInfo(strPath).filePath().toUtf8().constData());
    return false;
}

} // namespace

bool LoadWaveForDevice(CWave &wave, const QString &strPath, uint32_t productId)
{
    if (!wave.Load(strPath))
        return false;
    if (!LayoutMatchesBlockAlign(wave.format))
        return Refuse(FORMAT_REFUSED, strPath);
    if (wave.buffer.frameCount == 0)
        return Refuse(NO_SAMPLES, strPath);
    wave.Convert(TARGET_RATE_DOWNLOAD);
    if (!wave.HasFormat(TargetFormat(TARGET_RATE_DOWNLOAD)))
        return Refuse(FORMAT_REFUSED, strPath);
    const DeviceModel *model = FindDeviceModel(productId);
    if (model && model->geometry)
        SpreadToDeviceChannels(wave, model->geometry->channels);
    return true;
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
