#include "CBackupFolder.h"

#include <QDir>
#include <QFileInfo>

namespace {
const char *const WORK_FOLDER = ".brindle";
const char *const INCOMING_FOLDER = "incoming";
const char *const MANIFEST_PART = "manifest.json.part";
// Far beyond the manifest of any looper; a bigger file is no manifest, whatever it holds.
const qint64 MAX_MANIFEST_BYTES = 1 << 20;
} // namespace

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
    SBackupManifest manifest;
    if (m_top.Exists(BACKUP_MANIFEST_NAME)) {
        m_bHasBackup = ReadManifest(m_top, manifest);
        return m_bHasBackup ||
               Fail(QStringLiteral("%1 holds no Brindle backup that a new one may replace (%2). "
                                   "Nothing was written.")
                        .arg(m_strPath, m_strFailure));
    }
    if (names.isEmpty() || m_top.IsFolder(WORK_FOLDER))
        return true;
    return Fail(QStringLiteral("%1 holds other files and no Brindle backup; back up into a new or empty "
                               "folder, or into one that holds a backup. Nothing was written.")
                    .arg(m_strPath));
}

// A manifest in incoming makes the backup there complete: its move to the top goes on.
bool CBackupFolder::FinishCutMove()
{
    if (!m_top.IsFolder(WORK_FOLDER))
        return true;
    if (!m_work.OpenChild(m_top, WORK_FOLDER, false))
        return Fail(m_work.ErrorText());
    if (!m_work.IsFolder(INCOMING_FOLDER))
        return true;
    if (!m_incoming.OpenChild(m_work, INCOMING_FOLDER, false))
        return Fail(m_incoming.ErrorText());
    SBackupManifest manifest;
    if (!m_incoming.Exists(BACKUP_MANIFEST_NAME) || !ReadManifest(m_incoming, manifest))
        return true;
    m_bHasBackup = true;
    return MoveToTop(manifest);
}

bool CBackupFolder::OpenIncoming()
{
    if (!m_work.IsOpen()) {
        m_bMadeWork = !m_top.Exists(WORK_FOLDER);
        if (!m_work.OpenChild(m_top, WORK_FOLDER, true))
            return Fail(m_work.ErrorText());
    }
    if (!m_incoming.IsOpen() && !m_incoming.OpenChild(m_work, INCOMING_FOLDER, true))
        return Fail(m_incoming.ErrorText());
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

bool CBackupFolder::AddSong(const QString &file, const QByteArray &header, const uint8_t *data,
                            uint32_t length)
{
    if (m_incoming.WriteFile(file, header, data, length))
        return true;
    if (!m_bHasBackup)
        return Fail(m_incoming.ErrorText());
    return Fail(
        QStringLiteral("%1. The backup in %2 is kept as it was.").arg(m_incoming.ErrorText(), m_strPath));
}

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
    if (!m_incoming.Sync() || !m_incoming.WriteFile(MANIFEST_PART, ManifestJson(manifest), nullptr, 0) ||
        !m_incoming.Move(MANIFEST_PART, m_incoming, BACKUP_MANIFEST_NAME) || !m_incoming.Sync()) {
        Fail(m_incoming.ErrorText());
        Discard();
        return false;
    }
    return MoveToTop(manifest);
}

// The old manifest goes first and the new one comes last, each step synced before the next: no
// manifest at the top ever names a song file of another backup. Songs that a cut move took there
// already are skipped.
bool CBackupFolder::MoveToTop(const SBackupManifest &manifest)
{
    if (!m_top.Remove(BACKUP_MANIFEST_NAME) || !m_top.Sync())
        return MoveCut(m_top);
    for (const SBackupSong &song : manifest.songs) {
        if (m_incoming.Exists(song.file) && !m_incoming.Move(song.file, m_top, song.file))
            return MoveCut(m_incoming);
    }
    if (!m_top.Sync())
        return MoveCut(m_top);
    if (!m_incoming.Move(BACKUP_MANIFEST_NAME, m_top, BACKUP_MANIFEST_NAME))
        return MoveCut(m_incoming);
    if (!m_top.Sync())
        return MoveCut(m_top);
    m_incoming.Close();
    m_work.RemoveFolder(INCOMING_FOLDER);
    // Brindle's folder stays while it holds anything else.
    if (m_top.RemoveFolder(WORK_FOLDER))
        m_work.Close();
    m_top.Sync();
    return true;
}

bool CBackupFolder::MoveCut(const CSafeFolder &failed)
{
    return Fail(QStringLiteral("%1. The new backup is complete, but its move into %2 was cut short; the next "
                               "backup into that folder finishes it.")
                    .arg(failed.ErrorText(), m_strPath));
}

// The failure that brought the discard is the one to report.
void CBackupFolder::Discard()
{
    const QString failure = m_strFailure;
    if (m_incoming.IsOpen()) {
        ClearIncoming();
        m_incoming.Close();
        m_work.RemoveFolder(INCOMING_FOLDER);
    }
    if (m_bMadeWork)
        m_top.RemoveFolder(WORK_FOLDER);
    m_work.Close();
    m_top.Close();
    if (m_bMadeTop)
        QDir().rmdir(m_strPath);
    m_strFailure = failure;
}

bool CBackupFolder::OpenForRestore(const QString &path, SBackupManifest &manifest)
{
    m_strPath = path;
    if (!m_top.Open(path))
        return Fail(QStringLiteral("%1 (no backup here)").arg(m_top.ErrorText()));
    if (m_top.Exists(BACKUP_MANIFEST_NAME))
        return ReadManifest(m_top, manifest);
    m_bMoveCut = m_top.IsFolder(WORK_FOLDER) && m_work.OpenChild(m_top, WORK_FOLDER, false) &&
                 m_work.IsFolder(INCOMING_FOLDER) && m_incoming.OpenChild(m_work, INCOMING_FOLDER, false) &&
                 m_incoming.Exists(BACKUP_MANIFEST_NAME);
    if (m_bMoveCut)
        return ReadManifest(m_incoming, manifest);
    return Fail(
        QStringLiteral("%1: no backup here (there is no such file)").arg(m_top.PathOf(BACKUP_MANIFEST_NAME)));
}

bool CBackupFolder::ReadManifest(CSafeFolder &folder, SBackupManifest &manifest)
{
    const QString path = folder.PathOf(BACKUP_MANIFEST_NAME);
    qint64 size = 0;
    if (!folder.RegularFileSize(BACKUP_MANIFEST_NAME, size))
        return Fail(folder.ErrorText());
    if (size > MAX_MANIFEST_BYTES)
        return Fail(QStringLiteral("%1: %2 bytes, too large for a backup manifest").arg(path).arg(size));
    QByteArray json;
    if (!folder.ReadFile(BACKUP_MANIFEST_NAME, size, json))
        return Fail(folder.ErrorText());
    QString errorText;
    return ParseManifest(json, manifest, errorText) || Fail(QStringLiteral("%1: %2").arg(path, errorText));
}

CSafeFolder &CBackupFolder::SongFolder(const QString &file)
{
    return m_bMoveCut && m_incoming.Exists(file) ? m_incoming : m_top;
}

QString CBackupFolder::SongPath(const QString &file) const
{
    return (m_bMoveCut && m_incoming.Exists(file) ? m_incoming : m_top).PathOf(file);
}

bool CBackupFolder::ReadSong(const QString &file, qint64 size, QByteArray &bytes)
{
    CSafeFolder &folder = SongFolder(file);
    qint64 actual = 0;
    if (!folder.RegularFileSize(file, actual))
        return Fail(folder.ErrorText());
    if (actual != size)
        return Fail(
            QStringLiteral("%1 is %2 bytes long; the song the manifest describes makes a file of %3 bytes")
                .arg(folder.PathOf(file))
                .arg(actual)
                .arg(size));
    return folder.ReadFile(file, size, bytes) || Fail(folder.ErrorText());
}
