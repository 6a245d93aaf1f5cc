#pragma once

#include "BackupManifest.h"
#include "CSafeFolder.h"
#include "SBackupPlaces.h"

#include <QByteArray>
#include <QString>

#include <vector>

// The snapshots of a backup folder (BackupLayout.h), read for a restore or a list of them: the
// newest at the top (or still in .brindle/incoming when its move was cut) and the earlier ones in
// the history. A snapshot's ID is its creation time. Nothing is written.
class CBackupSnapshots : private SBackupPlaces {
public:
    bool Open(const QString &path);
    // Oldest first; the last is the newest.
    const std::vector<SBackupManifest> &All() const { return m_snapshots; }
    // Chooses the snapshot whose ID is `id`, or the only one whose ID starts with it; an empty id
    // chooses the newest.
    bool Select(const QString &id, SBackupManifest &manifest);
    // The file of a song of the chosen snapshot, header and song bytes, its song bytes those whose
    // SHA-256 the manifest gives: taken from the first place the layout may keep them that holds them.
    bool ReadSong(const SBackupSong &song, QByteArray &file);
    // The file ReadSong read, or the one whose failure it reports.
    QString SongPath() const { return m_strSongPath; }
    QString FailureText() const { return m_strFailure; }

private:
    struct SPlace {
        CSafeFolder *folder;
        QString name;
    };
    bool ReadNewest(CSafeFolder &folder);
    CSafeFolder &NewestPlace(const QString &file);
    std::vector<SPlace> PlacesOf(const SBackupSong &song);
    bool ReadPlace(const SPlace &place, const SBackupSong &song, QByteArray &file);
    bool Fail(const QString &text);

    bool m_bMoveCut = false;
    bool m_bHasNewest = false;
    std::vector<SBackupManifest> m_snapshots;
    size_t m_nChosen = 0;
    QString m_strSongPath;
    QString m_strFailure;
};
