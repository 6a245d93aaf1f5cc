#include "CBackupSnapshots.h"

#include "BackupLayout.h"
#include "SongFiles.h"

#include <algorithm>

bool CBackupSnapshots::Fail(const QString &text)
{
    m_strFailure = text;
    return false;
}

bool CBackupSnapshots::Open(const QString &path)
{
    m_strPath = path;
    if (!m_top.Open(path))
        return Fail(QStringLiteral("%1 (no backup here)").arg(m_top.ErrorText()));
    // Where Brindle's folders cannot be opened, the snapshot at the top is still read.
    OpenWork();
    if (m_work.IsOpen())
        m_history.Open(m_work);
    m_bMoveCut = m_incoming.IsOpen() && m_incoming.Exists(BACKUP_MANIFEST_NAME);
    m_snapshots = m_history.Snapshots();
    if ((m_bMoveCut && m_top.Exists(BACKUP_MANIFEST_NAME) && !ReadNewest(m_top)) ||
        !ReadNewest(m_bMoveCut ? m_incoming : m_top))
        return false;
    if (!m_snapshots.empty())
        return true;
    return Fail(
        QStringLiteral("%1: no backup here (there is no such file)").arg(m_top.PathOf(BACKUP_MANIFEST_NAME)));
}

// The snapshot whose manifest lies in the folder goes last, in place of a kept copy of it. Without
// one, the newest snapshot of the history is the newest.
bool CBackupSnapshots::ReadNewest(CSafeFolder &folder)
{
    if (!folder.Exists(BACKUP_MANIFEST_NAME))
        return true;
    SBackupManifest manifest;
    QString errorText;
    if (!ReadManifestFile(folder, BACKUP_MANIFEST_NAME, manifest, nullptr, errorText))
        return Fail(errorText);
    m_snapshots.erase(
        std::remove_if(m_snapshots.begin(), m_snapshots.end(),
                       [&manifest](const SBackupManifest &kept) { return kept.created == manifest.created; }),
        m_snapshots.end());
    m_snapshots.push_back(manifest);
    m_bHasNewest = true;
    return true;
}

bool CBackupSnapshots::Select(const QString &id, SBackupManifest &manifest)
{
    const auto choose = [this, &manifest](size_t k) {
        m_nChosen = k;
        manifest = m_snapshots[k];
        return true;
    };
    if (id.isEmpty())
        return choose(m_snapshots.size() - 1);
    std::vector<size_t> matches;
    for (size_t k = 0; k < m_snapshots.size(); ++k) {
        if (m_snapshots[k].created == id)
            return choose(k);
        if (m_snapshots[k].created.startsWith(id))
            matches.push_back(k);
    }
    if (matches.size() == 1)
        return choose(matches.front());
    if (matches.empty())
        return Fail(
            QStringLiteral("%1 holds no snapshot %2; brindle-cli backups %1 lists them").arg(m_strPath, id));
    QStringList ids;
    for (const size_t k : matches)
        ids << m_snapshots[k].created;
    return Fail(QStringLiteral("%1 holds %2 snapshots whose ID starts with %3 (%4); give more of it")
                    .arg(m_strPath)
                    .arg(matches.size())
                    .arg(id, ids.join(", ")));
}

CSafeFolder &CBackupSnapshots::NewestPlace(const QString &file)
{
    return m_bMoveCut && m_incoming.Exists(file) ? m_incoming : m_top;
}

// A song of the newest snapshot lies at the top, one of an earlier snapshot in the history unless
// the newest holds it too. Where a cut move left it, the other places find it.
std::vector<CBackupSnapshots::SPlace> CBackupSnapshots::PlacesOf(const SBackupSong &song)
{
    std::vector<SPlace> places;
    const auto add = [&places](CSafeFolder &folder, const QString &name) {
        const bool known = std::any_of(places.begin(), places.end(), [&](const SPlace &place) {
            return place.folder == &folder && place.name == name;
        });
        if (folder.IsOpen() && !known)
            places.push_back({&folder, name});
    };
    if (m_bHasNewest && m_nChosen + 1 == m_snapshots.size())
        add(NewestPlace(song.file), song.file);
    add(m_history.Songs(), StoredSongFileName(song.sha256));
    add(NewestPlace(song.file), song.file);
    if (m_bHasNewest) {
        for (const SBackupSong &newest : m_snapshots.back().songs) {
            if (newest.sha256 == song.sha256)
                add(NewestPlace(newest.file), newest.file);
        }
    }
    add(m_top, song.file);
    return places;
}

bool CBackupSnapshots::ReadSong(const SBackupSong &song, QByteArray &file)
{
    const std::vector<SPlace> places = PlacesOf(song);
    QString failure;
    QString failedPath;
    for (size_t k = 0; k < places.size(); ++k) {
        const SPlace &place = places[k];
        if (k > 0 && !place.folder->Exists(place.name))
            continue;
        m_strSongPath = place.folder->PathOf(place.name);
        if (ReadPlace(place, song, file))
            return true;
        if (failure.isEmpty()) {
            failure = m_strFailure;
            failedPath = m_strSongPath;
        }
    }
    m_strSongPath = failedPath;
    return Fail(failure);
}

bool CBackupSnapshots::ReadPlace(const SPlace &place, const SBackupSong &song, QByteArray &file)
{
    CSafeFolder &folder = *place.folder;
    const QString path = folder.PathOf(place.name);
    const qint64 size = SONG_WAVE_HEADER_SIZE + qint64(song.bytes);
    qint64 actual = 0;
    file.clear();
    if (!folder.RegularFileSize(place.name, actual))
        return Fail(folder.ErrorText());
    if (actual != size)
        return Fail(
            QStringLiteral("%1 is %2 bytes long; the song the manifest describes makes a file of %3 bytes")
                .arg(path)
                .arg(actual)
                .arg(size));
    if (!folder.ReadFile(place.name, size, file))
        return Fail(folder.ErrorText());
    if (Sha256Hex(SongBytesOf(file), song.bytes) == song.sha256)
        return true;
    file.clear();
    return Fail(
        QStringLiteral("%1 does not hold the song the manifest describes (its SHA-256 differs)").arg(path));
}
