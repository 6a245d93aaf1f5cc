#include "SongTransfer.h"

#include "CLooperSongTable.h"
#include "CWave.h"
#include "DeviceModel.h"
#include "Messages.h"

#include <QFileInfo>

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

bool LoadWaveForDevice(CWave &wave, const QString &strPath)
{
    if (!wave.Load(strPath))
        return false;
    wave.Convert(TARGET_RATE_DOWNLOAD);
    if (wave.HasFormat(TargetFormat(TARGET_RATE_DOWNLOAD)))
        return true;
    ShowMessageF("Wave file '%s' format not supported", QFileInfo(strPath).filePath().toUtf8().constData());
    return false;
}
