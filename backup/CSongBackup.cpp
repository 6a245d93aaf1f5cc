#include "CSongBackup.h"

#include "CBackupObserver.h"
#include "CLooperSongTable.h"
#include "CUSBPort.h"
#include "CWave.h"
#include "Messages.h"
#include "FirmwareVersion.h"
#include "SongFiles.h"

#include <QDateTime>
#include <QDir>

CSongBackup::CSongBackup(CLooperSongTable &table, const DeviceIdentity &identity, CBackupObserver *observer)
    : m_table(table), m_identity(identity), m_pObserver(observer)
{
}

int32_t CSongBackup::Fail(const QString &text)
{
    m_strFailure = text;
    return RESULT_WRITE_FAILED;
}

int32_t CSongBackup::Run(const QString &folder)
{
    int32_t result = PrepareFolder(folder);
    if (result != RESULT_OK)
        return result;
    DescribeDevice();
    std::vector<uint32_t> songSlots;
    for (uint32_t slot = 0; slot < m_table.StoreCount(); ++slot) {
        if (m_table.SlotLoadResult(slot) != RESULT_OK)
            m_manifest.damaged.push_back({slot + 1, ResultText(m_table.SlotLoadResult(slot))});
        else if (m_table.Store(slot)->HasSong())
            songSlots.push_back(slot);
    }
    for (uint32_t k = 0; k < songSlots.size() && result == RESULT_OK; ++k)
        result = BackUpSong(k + 1, uint32_t(songSlots.size()), songSlots[k], folder);
    if (result != RESULT_OK)
        return result;
    QString errorText;
    const QString manifestPath = QDir(folder).filePath(BACKUP_MANIFEST_NAME);
    return SaveFileAtomically(manifestPath, ManifestJson(m_manifest), errorText) ? RESULT_OK
                                                                                 : Fail(errorText);
}

// A manifest left from an earlier backup in the same folder would vouch for files this one
// replaces: it goes first, and the new one comes when every song is saved.
int32_t CSongBackup::PrepareFolder(const QString &folder)
{
    QDir directory(folder);
    if (!directory.mkpath("."))
        return Fail(QStringLiteral("Cannot create folder %1").arg(folder));
    if (directory.exists(BACKUP_MANIFEST_NAME) && !directory.remove(BACKUP_MANIFEST_NAME))
        return Fail(QStringLiteral("Cannot replace %1").arg(directory.filePath(BACKUP_MANIFEST_NAME)));
    return RESULT_OK;
}

void CSongBackup::DescribeDevice()
{
    const DeviceModel *model = FindDeviceModel(m_identity.productId);
    m_manifest = SBackupManifest();
    m_manifest.model = model ? QString::fromLatin1(model->name) : QString();
    m_manifest.productId = m_identity.productId;
    m_manifest.firmware = FormatVersion(m_identity.firmwareVersion);
    m_manifest.created = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
}

int32_t CSongBackup::BackUpSong(uint32_t index, uint32_t count, uint32_t slot, const QString &folder)
{
    if (m_pObserver)
        m_pObserver->SongStarted(index, count, slot, m_table.Store(slot)->GetSize());
    CWave wave;
    const int32_t result = ReadSong(slot, wave);
    if (result != RESULT_OK) {
        m_strFailure = ResultText(result);
        return result;
    }
    const uint32_t bytes = wave.DataLength();
    SBackupSong song{slot + 1, BackupSongFileName(slot + 1), bytes, Sha256Hex(wave.buffer.data, bytes)};
    QString errorText;
    if (!SaveWaveAtomically(wave, QDir(folder).filePath(song.file), errorText))
        return Fail(errorText);
    m_manifest.songs.push_back(song);
    return RESULT_OK;
}

int32_t CSongBackup::ReadSong(uint32_t slot, CWave &wave)
{
    SetSongFormat(wave, m_table.Geometry());
    const uint32_t size = m_table.Store(slot)->GetSize();
    if (size % wave.format.blockAlign != 0)
        return RESULT_READ_FAILED;
    uint8_t *array = new uint8_t[size];
    wave.SetData(array, size / wave.format.blockAlign);
    return m_table.ReadSong(slot, array, size, m_pObserver ? m_pObserver->ProgressTarget() : nullptr);
}
