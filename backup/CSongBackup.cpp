#include "CSongBackup.h"

#include "CBackupFolder.h"
#include "CBackupObserver.h"
#include "CLooperSongTable.h"
#include "CSongNames.h"
#include "CUSBPort.h"
#include "CancelRequest.h"
#include "FirmwareVersion.h"
#include "Messages.h"
#include "SSongIdentity.h"
#include "SongFiles.h"

#include <algorithm>
#include <memory>

namespace {
QString RecordSha256(const CLooperSongBase &store)
{
    const std::vector<uint8_t> record = store.RecordBytes();
    return Sha256Hex(record.data(), uint32_t(record.size()));
}
} // namespace

CSongBackup::CSongBackup(CLooperSongTable &table, const DeviceIdentity &identity, CBackupObserver *observer,
                         const CSongNames *names)
    : m_table(table), m_identity(identity), m_pObserver(observer), m_pNames(names)
{
}

int32_t CSongBackup::Fail(const QString &text)
{
    m_strFailure = text;
    return RESULT_WRITE_FAILED;
}

int32_t CSongBackup::SlotFailure(uint32_t slot, int32_t result)
{
    m_strFailure = QStringLiteral("Slot %1: %2").arg(slot + 1).arg(ResultText(result));
    return result;
}

// A stop asked for after the last song still keeps the previous backup.
int32_t CSongBackup::Run(const QString &folder, bool full)
{
    CBackupFolder target;
    m_nRead = 0;
    int32_t result = target.OpenForBackup(folder) ? BackUpSongs(target, full) : Fail(target.FailureText());
    if (result == RESULT_OK && CancelRequested())
        result = RESULT_CANCELLED;
    if (result == RESULT_OK)
        return target.Commit(m_manifest) ? RESULT_OK : Fail(target.FailureText());
    target.Discard();
    return result;
}

void CSongBackup::DescribeDevice(const QString &created)
{
    const DeviceModel *model = FindDeviceModel(m_identity.productId);
    m_manifest = SBackupManifest();
    m_manifest.model = model ? QString::fromLatin1(model->name) : QString();
    m_manifest.productId = m_identity.productId;
    m_manifest.firmware = FormatVersion(m_identity.firmwareVersion);
    m_manifest.created = created;
}

// First the songs the folder holds already (a few requests each), then the others, read whole.
int32_t CSongBackup::BackUpSongs(CBackupFolder &target, bool full)
{
    DescribeDevice(target.NewSnapshotTime());
    std::vector<uint32_t> readSlots;
    for (uint32_t slot = 0; slot < m_table.StoreCount(); ++slot) {
        if (m_table.SlotLoadResult(slot) != RESULT_OK) {
            m_manifest.damaged.push_back({slot, ResultText(m_table.SlotLoadResult(slot))});
            continue;
        }
        if (!m_table.Store(slot)->HasSong())
            continue;
        const SBackupSong *newest = full ? nullptr : NewestSong(target, slot);
        bool unchanged = false;
        const int32_t result = newest ? CheckUnchanged(slot, *newest, target, unchanged) : RESULT_OK;
        if (result != RESULT_OK)
            return result;
        if (unchanged)
            m_manifest.songs.push_back(SongEntry(slot, newest->sha256));
        else
            readSlots.push_back(slot);
    }
    int32_t result = RESULT_OK;
    for (uint32_t k = 0; k < readSlots.size() && result == RESULT_OK; ++k)
        result = BackUpSong(k + 1, uint32_t(readSlots.size()), readSlots[k], target);
    std::sort(m_manifest.songs.begin(), m_manifest.songs.end(),
              [](const SBackupSong &first, const SBackupSong &second) { return first.slot < second.slot; });
    return result;
}

// Only a song of the same model whose record that snapshot noted can be found unchanged.
const SBackupSong *CSongBackup::NewestSong(const CBackupFolder &target, uint32_t slot) const
{
    const SBackupManifest *newest = target.Newest();
    if (!newest || newest->productId != m_identity.productId)
        return nullptr;
    for (const SBackupSong &song : newest->songs) {
        if (song.slot == slot && song.file == BackupSongFileName(slot) && song.fatPage >= 0 &&
            !song.recordSha256.isEmpty())
            return &song;
    }
    return nullptr;
}

int32_t CSongBackup::CheckUnchanged(uint32_t slot, const SBackupSong &newest, CBackupFolder &target,
                                    bool &unchanged)
{
    const CLooperSongBase &store = *m_table.Store(slot);
    unchanged = newest.fatPage == store.FatPage() && newest.bytes == store.GetSize() &&
                newest.recordSha256 == RecordSha256(store);
    if (!unchanged)
        return RESULT_OK;
    const uint32_t lastPage = (newest.bytes - 1) / m_table.Geometry().dataBytesPerPage;
    int32_t result = SamePage(slot, 0, newest, target, unchanged);
    if (result == RESULT_OK && unchanged && lastPage > 0)
        result = SamePage(slot, lastPage, newest, target, unchanged);
    return result;
}

// The file is read first: a file that is gone or cut short costs no request.
int32_t CSongBackup::SamePage(uint32_t slot, uint32_t page, const SBackupSong &newest, CBackupFolder &target,
                              bool &same)
{
    const uint32_t pageBytes = m_table.Geometry().dataBytesPerPage;
    const uint32_t offset = page * pageBytes;
    const uint32_t length = std::min(pageBytes, newest.bytes - offset);
    QByteArray stored;
    same = target.ReadNewestSong(newest, offset, length, stored);
    if (!same)
        return RESULT_OK;
    if (CancelRequested())
        return RESULT_CANCELLED;
    QByteArray device(int(length), '\0');
    const int32_t result =
        m_table.Store(slot)->ReadSongPage(page, 0, reinterpret_cast<uint8_t *>(device.data()), length);
    if (result != RESULT_OK)
        return CancelRequested() ? RESULT_CANCELLED : SlotFailure(slot, result);
    same = device == stored;
    return RESULT_OK;
}

SBackupSong CSongBackup::SongEntry(uint32_t slot, const QString &sha256) const
{
    const CLooperSongBase &store = *m_table.Store(slot);
    SBackupSong song{slot, BackupSongFileName(slot), store.GetSize(), sha256};
    song.fatPage = store.FatPage();
    song.recordSha256 = RecordSha256(store);
    if (m_pNames)
        song.name = m_pNames->Name(SongIdentityOf(m_table, m_identity.productId, slot));
    return song;
}

int32_t CSongBackup::BackUpSong(uint32_t index, uint32_t count, uint32_t slot, CBackupFolder &target)
{
    const uint32_t size = m_table.Store(slot)->GetSize();
    if (m_pObserver)
        m_pObserver->SongStarted(index, count, slot, size);
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[size]);
    const int32_t result =
        m_table.ReadSong(slot, bytes.get(), size, m_pObserver ? m_pObserver->ProgressTarget() : nullptr);
    if (result != RESULT_OK)
        return SlotFailure(slot, result);
    const SBackupSong song = SongEntry(slot, Sha256Hex(bytes.get(), size));
    if (!target.AddSong(song.file, SongWaveHeader(m_table.Geometry(), size), bytes.get(), size))
        return Fail(target.FailureText());
    m_manifest.songs.push_back(song);
    ++m_nRead;
    return RESULT_OK;
}
