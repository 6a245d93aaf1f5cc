#include "CSongRestore.h"

#include "CBackupObserver.h"
#include "CLooperSongTable.h"
#include "CUSBPort.h"
#include "CWave.h"
#include "CancelRequest.h"
#include "DamagedSlots.h"
#include "Messages.h"
#include "SongFiles.h"
#include "SongVerify.h"
#include "StorageUse.h"

#include <QDir>
#include <QFile>

#include <algorithm>

CSongRestore::CSongRestore(CLooperSongTable &table, const DeviceIdentity &identity, CBackupObserver *observer)
    : m_table(table), m_identity(identity), m_pObserver(observer)
{
}

bool CSongRestore::Fail(const QString &text)
{
    m_strFailure = text;
    return false;
}

bool CSongRestore::Check(const QString &folder, const std::vector<uint32_t> &chosenSlots)
{
    m_strFolder = folder;
    if (!ReadManifest() || !ChooseSongs(chosenSlots))
        return false;
    const QString refusal = DamagedSlotRefusal(m_table);
    if (!refusal.isEmpty())
        return Fail(refusal);
    if (!RoomForSongs())
        return false;
    for (const SBackupSong &song : m_songs) {
        CWave wave;
        if (!LoadSong(song, wave))
            return false;
    }
    return true;
}

bool CSongRestore::ReadManifest()
{
    QFile file(QDir(m_strFolder).filePath(BACKUP_MANIFEST_NAME));
    if (!file.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("%1: no backup here (%2)").arg(file.fileName(), file.errorString()));
    if (!ParseManifest(file.readAll(), m_manifest, m_strFailure))
        return false;
    if (m_manifest.productId == m_identity.productId)
        return true;
    const DeviceModel *model = FindDeviceModel(m_identity.productId);
    return Fail(QStringLiteral("This backup comes from a %1 (product id %2); the connected looper is a %3 "
                               "(product id %4). Nothing was written.")
                    .arg(m_manifest.model)
                    .arg(m_manifest.productId)
                    .arg(model ? model->name : "looper")
                    .arg(m_identity.productId));
}

bool CSongRestore::ChooseSongs(const std::vector<uint32_t> &chosenSlots)
{
    m_songs.clear();
    for (const SBackupSong &song : m_manifest.songs) {
        if (chosenSlots.empty() ||
            std::find(chosenSlots.begin(), chosenSlots.end(), song.slot) != chosenSlots.end())
            m_songs.push_back(song);
        if (song.slot > m_table.StoreCount())
            return Fail(QStringLiteral("The backup names slot %1; this looper has slots 1 to %2")
                            .arg(song.slot)
                            .arg(m_table.StoreCount()));
    }
    for (const uint32_t slot : chosenSlots) {
        const auto found = std::find_if(m_songs.begin(), m_songs.end(),
                                        [slot](const SBackupSong &song) { return song.slot == slot; });
        if (found == m_songs.end())
            return Fail(QStringLiteral("The backup holds no song for slot %1").arg(slot));
    }
    return true;
}

// The file must hold exactly the bytes the manifest vouches for.
bool CSongRestore::LoadSong(const SBackupSong &song, CWave &wave)
{
    const QString path = QDir(m_strFolder).filePath(song.file);
    if (!LoadSongWave(path, m_table.Geometry(), wave, m_strFailure))
        return false;
    if (wave.DataLength() != song.bytes || Sha256Hex(wave.buffer.data, wave.DataLength()) != song.sha256)
        return Fail(QStringLiteral("%1 does not hold the song the manifest describes (its length or SHA-256 "
                                   "differs)")
                        .arg(path));
    return true;
}

// A replaced song's blocks stay taken until the new one is written, so every song needs free
// blocks of its own; finding out half way would leave the restore half done.
bool CSongRestore::RoomForSongs()
{
    const CLooperSongBase *store = m_table.Store(0);
    uint64_t needed = 0;
    for (const SBackupSong &song : m_songs)
        needed += store ? store->BlocksFor(song.bytes) : 0;
    const uint32_t free = FreeBlockCount(m_table);
    if (needed <= free)
        return true;
    return Fail(
        QStringLiteral("The songs need %1 free blocks; the looper has %2. Delete the songs they replace "
                       "first. Nothing was written.")
            .arg(needed)
            .arg(free));
}

std::vector<uint32_t> CSongRestore::OccupiedSlots() const
{
    std::vector<uint32_t> occupied;
    for (const SBackupSong &song : m_songs) {
        if (m_table.Store(song.slot - 1)->HasSong())
            occupied.push_back(song.slot - 1);
    }
    return occupied;
}

int32_t CSongRestore::Run()
{
    for (uint32_t k = 0; k < m_songs.size(); ++k) {
        const int32_t result = RestoreSong(k + 1, m_songs[k]);
        if (result != RESULT_OK)
            return result;
    }
    return RESULT_OK;
}

// The file is read again: it may have changed since Check.
int32_t CSongRestore::RestoreSong(uint32_t index, const SBackupSong &song)
{
    const uint32_t slot = song.slot - 1;
    if (m_pObserver)
        m_pObserver->SongStarted(index, uint32_t(m_songs.size()), slot, song.bytes);
    CWave wave;
    if (!LoadSong(song, wave))
        return RESULT_READ_FAILED;
    QObject *target = m_pObserver ? m_pObserver->ProgressTarget() : nullptr;
    int32_t result = m_table.WriteSong(slot, wave.buffer.data, song.bytes, target);
    if (result == RESULT_OK)
        result = m_table.ReloadSong(slot);
    if (result != RESULT_OK) {
        m_strFailure = QStringLiteral("Slot %1: %2").arg(slot + 1).arg(ResultText(result));
        return result;
    }
    QString failureText;
    if (!VerifySongInSlot(m_table, slot, wave.buffer.data, song.bytes, failureText)) {
        m_strFailure = failureText;
        return CancelRequested() ? RESULT_CANCELLED : RESULT_WRITE_FAILED;
    }
    if (m_table.Store(slot)->GetSize() != song.bytes) {
        m_strFailure = QStringLiteral("Verify failed: slot %1 holds %2 bytes, the backup %3")
                           .arg(slot + 1)
                           .arg(m_table.Store(slot)->GetSize())
                           .arg(song.bytes);
        return RESULT_WRITE_FAILED;
    }
    return RESULT_OK;
}
