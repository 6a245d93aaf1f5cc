#pragma once

#include "BackupManifest.h"
#include "CSafeFolder.h"

#include <QByteArray>
#include <QString>

#include <vector>

// The earlier snapshots of a backup folder (BackupLayout.h): their manifests in
// .brindle/snapshots, and in .brindle/songs the song files that only they hold, each named by the
// SHA-256 of its song bytes so that a song is kept once however many snapshots hold it. A backup
// only ever adds to it; the one removal is that of a song file whose bytes the newest snapshot has
// just put at the top of the folder.
class CBackupHistory {
public:
    // Opens the history of Brindle's work folder, if it has one: missing folders make an empty history.
    bool Open(CSafeFolder &work);
    // Opens it, making the folders that are missing, durably (Discard removes them again while empty).
    bool Create(CSafeFolder &work);

    // The snapshots kept, oldest first. A manifest that cannot be read is left out, and left alone.
    const std::vector<SBackupManifest> &Snapshots() const { return m_snapshots; }
    // Keeps a manifest, its bytes as they are, as a snapshot, unless a copy of it is kept already.
    bool Keep(const QByteArray &json, const SBackupManifest &manifest);

    bool HasSong(const QString &sha256) const;
    // Takes the song file `name` out of `folder`: moved into the history under the SHA-256 of its
    // song bytes, or removed when the history holds those bytes already.
    bool TakeSong(CSafeFolder &folder, const QString &name);
    bool RemoveSong(const QString &sha256);
    // Makes the names of the files added and removed durable.
    bool Sync();
    // Removes the manifest this backup kept and the folders Create made, while empty.
    void Discard(CSafeFolder &work);
    // Removes the history's folders while they are empty.
    void RemoveIfEmpty(CSafeFolder &work);

    CSafeFolder &Songs() { return m_songs; }
    QString ErrorText() const { return m_strError; }

private:
    bool OpenFolders(CSafeFolder &work, bool create);
    void LoadSnapshots();
    // Closes the history, forgets the manifest this backup kept, and removes the folders chosen
    // while they are empty.
    void Close(CSafeFolder &work, bool removeSnapshots, bool removeSongs);
    bool Fail(const CSafeFolder &folder);

    CSafeFolder m_snapshotFolder;
    CSafeFolder m_songs;
    std::vector<SBackupManifest> m_snapshots;
    QString m_strKept;
    bool m_bMadeSnapshots = false;
    bool m_bMadeSongs = false;
    QString m_strError;
};
