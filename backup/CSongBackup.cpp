#include "CSongBackup.h"

#include "CBackupFolder.h"
#include "CBackupObserver.h"
#include "CLooperSongTable.h"
#include "CUSBPort.h"
#include "CancelRequest.h"
#include "FirmwareVersion.h"
#include "Messages.h"
#include "SongFiles.h"

#include <QDateTime>

#include <memory>

CSongBackup::CSongBackup(CLooperSongTable &table, const DeviceIdentity &identity, CBackupObserver *observer)
    : m_table(table), m_identity(identity), m_pObserver(observer)
{
}

int32_t CSongBackup::Fail(const QString &text)
{
    m_strFailure = text;
    return RESULT_WRITE_FAILED;
}

// A stop asked for after the last song still keeps the previous backup.
int32_t CSongBackup::Run(const QString &folder)
{
    CBackupFolder target;
    int32_t result = target.OpenForBackup(folder) ? BackUpSongs(target) : Fail(target.FailureText());
    if (result == RESULT_OK && CancelRequested())
        result = RESULT_CANCELLED;
    if (result == RESULT_OK)
        return target.Commit(m_manifest) ? RESULT_OK : Fail(target.FailureText());
    target.Discard();
    return result;
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

int32_t CSongBackup::BackUpSongs(CBackupFolder &target)
{
    DescribeDevice();
    std::vector<uint32_t> songSlots;
    for (uint32_t slot = 0; slot < m_table.StoreCount(); ++slot) {
        if (m_table.SlotLoadResult(slot) != RESULT_OK)
            m_manifest.damaged.push_back({slot, ResultText(m_table.SlotLoadResult(slot))});
        else if (m_table.Store(slot)->HasSong())
            songSlots.push_back(slot);
    }
    int32_t result = RESULT_OK;
    for (uint32_t k = 0; k < songSlots.size() && result == RESULT_OK; ++k)
        result = BackUpSong(k + 1, uint32_t(songSlots.size()), songSlots[k], target);
    return result;
}

int32_t CSongBackup::BackUpSong(uint32_t index, uint32_t count, uint32_t slot, CBackupFolder &target)
{
    const uint32_t size = m_table.Store(slot)->GetSize();
    if (m_pObserver)
        m_pObserver->SongStarted(index, count, slot, size);
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[size]);
    const int32_t result =
        m_table.ReadSong(slot, bytes.get(), size, m_pObserver ? m_pObserver->ProgressTarget() : nullptr);
    if (result != RESULT_OK) {
        m_strFailure = QStringLiteral("Slot %1: %2").arg(slot + 1).arg(ResultText(result));
        return result;
    }
    const SBackupSong song{slot, BackupSongFileName(slot), size, Sha256Hex(bytes.get(), size)};
    if (!target.AddSong(song.file, SongWaveHeader(m_table.Geometry(), size), bytes.get(), size))
        return Fail(target.FailureText());
    m_manifest.songs.push_back(song);
    return RESULT_OK;
}
