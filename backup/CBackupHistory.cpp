#include "CBackupHistory.h"

#include "BackupLayout.h"
#include "SongFiles.h"

#include <algorithm>

namespace {
const char *const MANIFEST_SUFFIX = ".json";
// Copies of different manifests that share a creation time, far more than any folder holds.
const int MAX_SAME_STEM = 100;

bool OlderThan(const SBackupManifest &first, const SBackupManifest &second)
{
    return first.created < second.created;
}

// The file name under which the manifest of a snapshot made at `created` is kept, without ".json":
// the time without its colons, which some file systems refuse.
QString SnapshotFileStem(const QString &created)
{
    QString stem;
    for (const QChar character : created) {
        if ((character.isLetterOrNumber() && character.unicode() < 128) || character == '-')
            stem += character;
    }
    return stem.isEmpty() ? QStringLiteral("snapshot") : stem;
}
} // namespace

bool CBackupHistory::Fail(const CSafeFolder &folder)
{
    m_strError = folder.ErrorText();
    return false;
}

bool CBackupHistory::Open(CSafeFolder &work)
{
    return OpenFolders(work, false);
}

bool CBackupHistory::Create(CSafeFolder &work)
{
    return OpenFolders(work, true);
}

bool CBackupHistory::OpenFolders(CSafeFolder &work, bool create)
{
    bool made = false;
    const struct {
        CSafeFolder &folder;
        const char *name;
        bool &made;
    } folders[] = {{m_snapshotFolder, BACKUP_SNAPSHOTS_FOLDER, m_bMadeSnapshots},
                   {m_songs, BACKUP_SONGS_FOLDER, m_bMadeSongs}};
    for (const auto &folder : folders) {
        const bool exists = work.IsFolder(folder.name);
        folder.folder.Close();
        if (!exists && !create)
            continue;
        folder.made = folder.made || !exists;
        made = made || !exists;
        if (!folder.folder.OpenChild(work, folder.name, create))
            return Fail(folder.folder);
    }
    LoadSnapshots();
    return !made || work.Sync() || Fail(work);
}

void CBackupHistory::LoadSnapshots()
{
    m_snapshots.clear();
    QStringList names;
    if (!m_snapshotFolder.IsOpen() || !m_snapshotFolder.List(names))
        return;
    for (const QString &name : names) {
        SBackupManifest manifest;
        QString errorText;
        if (name.endsWith(MANIFEST_SUFFIX) &&
            ReadManifestFile(m_snapshotFolder, name, manifest, nullptr, errorText))
            m_snapshots.push_back(manifest);
    }
    std::stable_sort(m_snapshots.begin(), m_snapshots.end(), &OlderThan);
}

// Written under a temporary name, synced and renamed: a kept manifest is always whole.
bool CBackupHistory::Keep(const QByteArray &json, const SBackupManifest &manifest)
{
    const QString stem = SnapshotFileStem(manifest.created);
    for (int k = 1; k <= MAX_SAME_STEM; ++k) {
        const QString name = (k == 1 ? stem : QStringLiteral("%1-%2").arg(stem).arg(k)) + MANIFEST_SUFFIX;
        qint64 size = 0;
        QByteArray kept;
        if (m_snapshotFolder.Exists(name)) {
            if (m_snapshotFolder.RegularFileSize(name, size) && size == json.size() &&
                m_snapshotFolder.ReadFile(name, size, kept) && kept == json)
                return true;
            continue;
        }
        // A part file that a cut backup left would stop the exclusive create.
        if (!m_snapshotFolder.Remove(CSafeFolder::PartName(name)) ||
            !m_snapshotFolder.WriteFileAtomically(name, json))
            return Fail(m_snapshotFolder);
        m_strKept = name;
        m_snapshots.push_back(manifest);
        std::stable_sort(m_snapshots.begin(), m_snapshots.end(), &OlderThan);
        return true;
    }
    m_strError = QStringLiteral("%1: too many snapshots created at %2")
                     .arg(m_snapshotFolder.PathOf(QString()), manifest.created);
    return false;
}

bool CBackupHistory::HasSong(const QString &sha256) const
{
    return m_songs.IsOpen() && m_songs.Exists(StoredSongFileName(sha256));
}

bool CBackupHistory::TakeSong(CSafeFolder &folder, const QString &name)
{
    QString sha256;
    if (!folder.HashFile(name, SONG_WAVE_HEADER_SIZE, sha256))
        return Fail(folder);
    if (HasSong(sha256))
        return folder.Remove(name) || Fail(folder);
    return folder.Move(name, m_songs, StoredSongFileName(sha256)) || Fail(folder);
}

bool CBackupHistory::RemoveSong(const QString &sha256)
{
    return m_songs.Remove(StoredSongFileName(sha256)) || Fail(m_songs);
}

bool CBackupHistory::Sync()
{
    if (m_songs.IsOpen() && !m_songs.Sync())
        return Fail(m_songs);
    return !m_snapshotFolder.IsOpen() || m_snapshotFolder.Sync() || Fail(m_snapshotFolder);
}

void CBackupHistory::Discard(CSafeFolder &work)
{
    if (!m_strKept.isEmpty() && m_snapshotFolder.Remove(m_strKept))
        m_snapshotFolder.Sync();
    Close(work, m_bMadeSnapshots, m_bMadeSongs);
}

void CBackupHistory::RemoveIfEmpty(CSafeFolder &work)
{
    Close(work, true, true);
}

void CBackupHistory::Close(CSafeFolder &work, bool removeSnapshots, bool removeSongs)
{
    m_strKept.clear();
    m_snapshotFolder.Close();
    m_songs.Close();
    m_snapshots.clear();
    if (removeSnapshots)
        work.RemoveFolder(BACKUP_SNAPSHOTS_FOLDER);
    if (removeSongs)
        work.RemoveFolder(BACKUP_SONGS_FOLDER);
    m_bMadeSnapshots = m_bMadeSongs = false;
}
