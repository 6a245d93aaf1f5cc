#include "CSongRestore.h"

#include "CBackupObserver.h"
#include "CLooperSongTable.h"
#include "CSongNames.h"
#include "CUSBPort.h"
#include "CancelRequest.h"
#include "DamagedSlots.h"
#include "Messages.h"
#include "SSongIdentity.h"
#include "SongFiles.h"
#include "SongVerify.h"
#include "StorageUse.h"

#include <algorithm>

namespace {
// Both sides are named from their product id, as the model table names them.
QString ModelName(uint32_t productId)
{
    const DeviceModel *model = FindDeviceModel(productId);
    return model ? QStringLiteral("a %1").arg(QLatin1String(model->name))
                 : QStringLiteral("a looper with product id %1").arg(productId);
}

// The looper's own text for a failed write reads "Read data failed!": a restore names the write.
QString WriteFailureText(int32_t result)
{
    return result == RESULT_WRITE_FAILED ? QStringLiteral("the looper did not take the song")
                                         : ResultText(result);
}
} // namespace

CSongRestore::CSongRestore(CLooperSongTable &table, const DeviceIdentity &identity, CBackupObserver *observer,
                           CSongNames *names)
    : m_table(table), m_identity(identity), m_pObserver(observer), m_pNames(names)
{
}

bool CSongRestore::Fail(const QString &text)
{
    m_strFailure = text;
    return false;
}

int32_t CSongRestore::Fail(int32_t result, const QString &text)
{
    m_strFailure = text;
    return result;
}

bool CSongRestore::Check(const QString &folder, const QString &snapshotId,
                         const std::vector<uint32_t> &chosenSlots, bool missingOnly)
{
    m_songs.clear();
    m_nRestored = 0;
    if (!m_backup.Open(folder) || !m_backup.Select(snapshotId, m_manifest))
        return Fail(m_backup.FailureText());
    if (!FromThisModel() || !ChooseSongs(chosenSlots, missingOnly))
        return false;
    const QString refusal = DamagedSlotRefusal(m_table);
    if (!refusal.isEmpty())
        return Fail(refusal);
    for (const SBackupSong &song : m_songs) {
        if (!FitsModel(song))
            return false;
    }
    if (!RoomForSongs())
        return false;
    QByteArray file;
    for (const SBackupSong &song : m_songs) {
        if (!LoadSong(song, file))
            return false;
    }
    return true;
}

bool CSongRestore::FromThisModel()
{
    if (m_manifest.productId == m_identity.productId)
        return true;
    return Fail(QStringLiteral("This backup comes from %1; the connected looper is %2. Nothing was written.")
                    .arg(ModelName(m_manifest.productId), ModelName(m_identity.productId)));
}

bool CSongRestore::ChooseSongs(const std::vector<uint32_t> &chosenSlots, bool missingOnly)
{
    for (const SBackupSong &song : m_manifest.songs) {
        if (song.slot >= m_table.StoreCount())
            return Fail(QStringLiteral("The backup names slot %1; this looper has slots 1 to %2")
                            .arg(song.slot + 1)
                            .arg(m_table.StoreCount()));
        const bool chosen = chosenSlots.empty() ||
                            std::find(chosenSlots.begin(), chosenSlots.end(), song.slot) != chosenSlots.end();
        if (chosen && !(missingOnly && m_table.Store(song.slot)->HasSong()))
            m_songs.push_back(song);
    }
    for (const uint32_t slot : chosenSlots) {
        if (std::none_of(m_manifest.songs.begin(), m_manifest.songs.end(),
                         [slot](const SBackupSong &song) { return song.slot == slot; }))
            return Fail(QStringLiteral("The backup holds no song for slot %1").arg(slot + 1));
    }
    return true;
}

// What the looper could not store whole is refused here rather than found half way.
bool CSongRestore::FitsModel(const SBackupSong &song)
{
    const FlashGeometry &geometry = m_table.Geometry();
    const uint64_t blocks = m_table.Store(song.slot)->BlocksFor(song.bytes);
    QString reason;
    if (song.bytes == 0)
        reason = QStringLiteral("it holds no bytes");
    else if (song.bytes % geometry.groupSize != 0)
        reason = QStringLiteral("%1 bytes are not a whole number of the %2-byte groups this looper stores")
                     .arg(song.bytes)
                     .arg(geometry.groupSize);
    else if (blocks > geometry.maxBlocksPerSong)
        reason = QStringLiteral("it needs %1 blocks, and a song of this looper has at most %2")
                     .arg(blocks)
                     .arg(geometry.maxBlocksPerSong);
    return reason.isEmpty() ||
           Fail(QStringLiteral("%1 (slot %2) cannot be restored: %3. Nothing was written.")
                    .arg(song.file)
                    .arg(song.slot + 1)
                    .arg(reason));
}

// A replaced song's blocks stay taken until the new one is written, so every song needs free
// blocks of its own; finding out half way would leave the restore half done.
bool CSongRestore::RoomForSongs()
{
    uint64_t needed = 0;
    for (const SBackupSong &song : m_songs)
        needed += m_table.Store(song.slot)->BlocksFor(song.bytes);
    const uint32_t free = FreeBlockCount(m_table);
    if (needed <= free)
        return true;
    return Fail(
        QStringLiteral("The songs need %1 free blocks; the looper has %2. Delete the songs they replace "
                       "first. Nothing was written.")
            .arg(needed)
            .arg(free));
}

// The file must hold exactly the bytes the manifest vouches for; its size is known before it is read.
bool CSongRestore::LoadSong(const SBackupSong &song, QByteArray &file)
{
    if (!m_backup.ReadSong(song, file))
        return Fail(m_backup.FailureText());
    QString reason;
    return IsSongWave(file, m_table.Geometry(), reason) ||
           Fail(QStringLiteral("%1: %2").arg(m_backup.SongPath(), reason));
}

std::vector<uint32_t> CSongRestore::OccupiedSlots() const
{
    std::vector<uint32_t> occupied;
    for (const SBackupSong &song : m_songs) {
        if (m_table.Store(song.slot)->HasSong())
            occupied.push_back(song.slot);
    }
    return occupied;
}

int32_t CSongRestore::Run()
{
    m_nRestored = 0;
    for (uint32_t k = 0; k < m_songs.size(); ++k) {
        const int32_t result = RestoreSong(k + 1, m_songs[k]);
        if (result != RESULT_OK)
            return result;
        ++m_nRestored;
    }
    return RESULT_OK;
}

// The file is read again: it may have changed since Check.
int32_t CSongRestore::RestoreSong(uint32_t index, const SBackupSong &song)
{
    if (m_pObserver)
        m_pObserver->SongStarted(index, uint32_t(m_songs.size()), song.slot, song.bytes);
    QByteArray file;
    if (!LoadSong(song, file))
        return RESULT_READ_FAILED;
    QObject *target = m_pObserver ? m_pObserver->ProgressTarget() : nullptr;
    int32_t result = m_table.WriteSong(song.slot, SongBytesOf(file), song.bytes, target);
    if (result == RESULT_CANCELLED)
        return result;
    if (result != RESULT_OK)
        return Fail(result, QStringLiteral("Slot %1: writing the song failed: %2")
                                .arg(song.slot + 1)
                                .arg(WriteFailureText(result)));
    result = m_table.ReloadSong(song.slot);
    if (result != RESULT_OK)
        return Fail(result,
                    QStringLiteral("Slot %1: the song was written, but its record could not be read: %2")
                        .arg(song.slot + 1)
                        .arg(ResultText(result)));
    return VerifySong(song, SongBytesOf(file));
}

// The song is stored by now: a stop asked for during the read-back leaves it stored, unverified.
int32_t CSongRestore::VerifySong(const SBackupSong &song, const uint8_t *bytes)
{
    QString failureText;
    if (!VerifySongInSlot(m_table, song.slot, bytes, song.bytes, failureText))
        return Fail(RESULT_WRITE_FAILED,
                    CancelRequested()
                        ? QStringLiteral("Slot %1: the song was stored; the stop came before it "
                                         "was read back, so it is not verified")
                              .arg(song.slot + 1)
                        : failureText);
    if (m_table.Store(song.slot)->GetSize() != song.bytes)
        return Fail(RESULT_WRITE_FAILED,
                    QStringLiteral("Verify failed: slot %1 holds %2 bytes, the backup %3")
                        .arg(song.slot + 1)
                        .arg(m_table.Store(song.slot)->GetSize())
                        .arg(song.bytes));
    GiveNameBack(song);
    return RESULT_OK;
}

// The restored song has a record of its own, so its name goes under its new identity. A name that
// cannot be saved leaves the song restored, unnamed.
void CSongRestore::GiveNameBack(const SBackupSong &song)
{
    QString errorText;
    if (m_pNames && !song.name.isEmpty())
        m_pNames->SetName(SongIdentityOf(m_table, m_identity.productId, song.slot), song.name, errorText);
}
