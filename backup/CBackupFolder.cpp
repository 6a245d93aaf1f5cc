#include "CBackupFolder.h"

#include "BackupLayout.h"
#include "SongFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <set>

bool CBackupFolder::Fail(const QString &text)
{
    m_strFailure = text;
    return false;
}

bool CBackupFolder::OpenForBackup(const QString &path)
{
    m_strPath = path;
    m_bMadeTop = !QFileInfo::exists(path);
    if (!QDir().mkpath(path))
        return Fail(QStringLiteral("Cannot create folder %1").arg(path));
    if (!m_top.Open(path))
        return Fail(m_top.ErrorText());
    return HoldsBackupOrNothing() && FinishCutMove() && OpenIncoming();
}

// A new backup replaces the folder's backup, never files of another kind.
bool CBackupFolder::HoldsBackupOrNothing()
{
    QStringList names;
    if (!m_top.List(names))
        return Fail(m_top.ErrorText());
    if (m_top.Exists(BACKUP_MANIFEST_NAME)) {
        QString errorText;
        m_bHasNewest = ReadManifestFile(m_top, BACKUP_MANIFEST_NAME, m_newest, nullptr, errorText);
        return m_bHasNewest ||
               Fail(QStringLiteral("%1 holds no Brindle backup that a new one may replace (%2). "
                                   "Nothing was written.")
                        .arg(m_strPath, errorText));
    }
    if (names.isEmpty() || m_top.IsFolder(BACKUP_WORK_FOLDER))
        return true;
    return Fail(QStringLiteral("%1 holds other files and no Brindle backup; back up into a new or empty "
                               "folder, or into one that holds a backup. Nothing was written.")
                    .arg(m_strPath));
}

// A manifest in incoming makes the backup there complete: its move to the top goes on.
bool CBackupFolder::FinishCutMove()
{
    if (!OpenWork())
        return Fail(WorkErrorText());
    SBackupManifest manifest;
    QString errorText;
    if (!m_incoming.IsOpen() || !m_incoming.Exists(BACKUP_MANIFEST_NAME) ||
        !ReadManifestFile(m_incoming, BACKUP_MANIFEST_NAME, manifest, nullptr, errorText))
        return true;
    if (!m_history.Create(m_work))
        return MoveCut(m_history.ErrorText());
    return MoveToTop(manifest);
}

// The folders made are synced into their parents: a manifest committed in incoming must stay
// there after a power cut.
bool CBackupFolder::OpenIncoming()
{
    if (!m_work.IsOpen()) {
        m_bMadeWork = !m_top.Exists(BACKUP_WORK_FOLDER);
        if (!m_work.OpenChild(m_top, BACKUP_WORK_FOLDER, true) || !m_top.Sync())
            return Fail(m_work.IsOpen() ? m_top.ErrorText() : m_work.ErrorText());
    }
    if (!m_history.Open(m_work))
        return Fail(m_history.ErrorText());
    if (!m_incoming.IsOpen() &&
        !(m_incoming.OpenChild(m_work, BACKUP_INCOMING_FOLDER, true) && m_work.Sync()))
        return Fail(m_incoming.IsOpen() ? m_work.ErrorText() : m_incoming.ErrorText());
    return ClearIncoming();
}

// Links in it are removed, never followed.
bool CBackupFolder::ClearIncoming()
{
    QStringList names;
    if (!m_incoming.List(names))
        return Fail(m_incoming.ErrorText());
    for (const QString &name : names) {
        if (m_incoming.IsFolder(name))
            return Fail(QStringLiteral("%1 is a folder that Brindle did not make; move it away")
                            .arg(m_incoming.PathOf(name)));
        if (!m_incoming.Remove(name))
            return Fail(m_incoming.ErrorText());
    }
    return true;
}

bool CBackupFolder::ReadNewestSong(const SBackupSong &song, uint32_t offset, uint32_t length,
                                   QByteArray &bytes)
{
    return m_top.IsRegularFile(song.file) &&
           m_top.ReadPart(song.file, SONG_WAVE_HEADER_SIZE + qint64(song.bytes),
                          SONG_WAVE_HEADER_SIZE + qint64(offset), length, bytes);
}

QString CBackupFolder::NewSnapshotTime() const
{
    QDateTime time = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch(), Qt::UTC);
    const auto after = [&time](const QString &created) {
        const QDateTime other = QDateTime::fromString(created, Qt::ISODate);
        if (other.isValid() && other >= time)
            time = other.toUTC().addSecs(1);
    };
    if (m_bHasNewest)
        after(m_newest.created);
    for (const SBackupManifest &snapshot : m_history.Snapshots())
        after(snapshot.created);
    return time.toString(Qt::ISODate);
}

bool CBackupFolder::AddSong(const QString &file, const QByteArray &header, const uint8_t *data,
                            uint32_t length)
{
    if (m_incoming.WriteFile(file, header, data, length))
        return true;
    if (!m_bHasNewest)
        return Fail(m_incoming.ErrorText());
    return Fail(
        QStringLiteral("%1. The backup in %2 is kept as it was.").arg(m_incoming.ErrorText(), m_strPath));
}

// The history is made ready and keeps the snapshot at the top before the new one commits: what
// could fail for want of space fails while the folder can still be left as it was.
bool CBackupFolder::Commit(const SBackupManifest &manifest)
{
    for (const SBackupSong &song : manifest.songs) {
        if (m_top.IsFolder(song.file)) {
            Fail(QStringLiteral("%1 is a folder, where the new backup puts a song file. Nothing was changed.")
                     .arg(m_top.PathOf(song.file)));
            Discard();
            return false;
        }
    }
    if (!(m_history.Create(m_work) || Fail(m_history.ErrorText())) || !KeepTopSnapshot() ||
        !WriteManifest(manifest)) {
        Discard();
        return false;
    }
    return MoveToTop(manifest);
}

bool CBackupFolder::KeepTopSnapshot()
{
    if (!m_top.Exists(BACKUP_MANIFEST_NAME))
        return true;
    SBackupManifest manifest;
    QByteArray json;
    QString errorText;
    if (!ReadManifestFile(m_top, BACKUP_MANIFEST_NAME, manifest, &json, errorText))
        return Fail(errorText);
    return m_history.Keep(json, manifest) || Fail(m_history.ErrorText());
}

bool CBackupFolder::WriteManifest(const SBackupManifest &manifest)
{
    if (m_incoming.Sync() && m_incoming.WriteFileAtomically(BACKUP_MANIFEST_NAME, ManifestJson(manifest)))
        return true;
    return Fail(m_incoming.ErrorText());
}

// The old manifest goes first and the new one comes last, each step synced before the next: no
// manifest at the top ever names a song file of another snapshot, and a song file at the top is
// replaced or removed only once the history holds its bytes. Songs that a cut move took to the
// top already are skipped.
bool CBackupFolder::MoveToTop(const SBackupManifest &manifest)
{
    std::vector<QString> moved;
    m_bMoving = true;
    const bool topCleared = KeepTopSnapshot() &&
                            ((m_top.Remove(BACKUP_MANIFEST_NAME) && m_top.Sync()) || Fail(m_top.ErrorText()));
    if (!topCleared || !TakeReplacedSongs(manifest) || !MoveNewSongs(manifest, moved) || !MoveManifest())
        return MoveCut(m_strFailure);
    m_newest = manifest;
    m_bHasNewest = true;
    m_bMoving = false;
    RemoveDuplicates(moved);
    m_incoming.Close();
    m_work.RemoveFolder(BACKUP_INCOMING_FOLDER);
    m_history.RemoveIfEmpty(m_work);
    // Brindle's folder stays while it holds anything else.
    if (m_top.RemoveFolder(BACKUP_WORK_FOLDER))
        m_work.Close();
    m_top.Sync();
    return true;
}

// The songs at the top that the new snapshot replaces, and those of earlier snapshots that it no
// longer holds.
bool CBackupFolder::TakeReplacedSongs(const SBackupManifest &manifest)
{
    std::set<QString> kept;
    std::set<QString> taken;
    for (const SBackupSong &song : manifest.songs) {
        kept.insert(song.file);
        if (m_incoming.Exists(song.file))
            taken.insert(song.file);
    }
    for (const SBackupManifest &snapshot : m_history.Snapshots()) {
        for (const SBackupSong &song : snapshot.songs) {
            if (kept.count(song.file) == 0)
                taken.insert(song.file);
        }
    }
    for (const QString &name : taken) {
        if (m_top.IsRegularFile(name) && !m_history.TakeSong(m_top, name))
            return Fail(m_history.ErrorText());
    }
    if (!m_history.Sync())
        return Fail(m_history.ErrorText());
    return m_top.Sync() || Fail(m_top.ErrorText());
}

bool CBackupFolder::MoveNewSongs(const SBackupManifest &manifest, std::vector<QString> &moved)
{
    for (const SBackupSong &song : manifest.songs) {
        if (!m_incoming.Exists(song.file))
            continue;
        if (!m_incoming.Move(song.file, m_top, song.file))
            return Fail(m_incoming.ErrorText());
        moved.push_back(song.sha256);
    }
    return m_top.Sync() || Fail(m_top.ErrorText());
}

bool CBackupFolder::MoveManifest()
{
    if (!m_incoming.Move(BACKUP_MANIFEST_NAME, m_top, BACKUP_MANIFEST_NAME))
        return Fail(m_incoming.ErrorText());
    return m_top.Sync() || Fail(m_top.ErrorText());
}

// A song that came back (restored from an earlier snapshot) now lies at the top: the history's
// copy of its bytes goes, so that it is kept once. Left where it is when that fails.
void CBackupFolder::RemoveDuplicates(const std::vector<QString> &moved)
{
    for (const QString &sha256 : moved) {
        if (m_history.HasSong(sha256))
            m_history.RemoveSong(sha256);
    }
    m_history.Sync();
}

bool CBackupFolder::MoveCut(const QString &text)
{
    return Fail(QStringLiteral("%1. The new backup is complete, but its move into %2 was cut short; the next "
                               "backup into that folder finishes it.")
                    .arg(text, m_strPath));
}

// The failure that brought the discard is the one to report.
void CBackupFolder::Discard()
{
    const QString failure = m_strFailure;
    if (m_incoming.IsOpen() && !m_bMoving) {
        ClearIncoming();
        m_incoming.Close();
        m_work.RemoveFolder(BACKUP_INCOMING_FOLDER);
    }
    if (m_work.IsOpen() && !m_bMoving)
        m_history.Discard(m_work);
    if (m_bMadeWork)
        m_top.RemoveFolder(BACKUP_WORK_FOLDER);
    m_work.Close();
    m_top.Close();
    if (m_bMadeTop)
        QDir().rmdir(m_strPath);
    m_strFailure = failure;
}
