#pragma once

#include "BackupManifest.h"
#include "SBackupPlaces.h"

#include <QString>

#include <cstdint>

// A backup folder (BackupLayout.h) as a new backup is written into it. The backup is written whole
// into .brindle/incoming, synced, and committed there by its manifest; only then does it move to
// the top, while the snapshot it replaces and the songs that only that one holds go to the
// history. Every step is synced before the next, so that a cut at any point (a full disk, a signal,
// a power cut) leaves every earlier snapshot whole and the newest complete one readable. A move
// that was cut is finished by the next backup.
class CBackupFolder : private SBackupPlaces {
public:
    // Creates the folder when missing and refuses one that holds other files but no backup; then
    // finishes a cut move and clears what a cut backup left in .brindle/incoming.
    bool OpenForBackup(const QString &path);
    // The folder's newest snapshot, null when it holds none.
    const SBackupManifest *Newest() const { return m_bHasNewest ? &m_newest : nullptr; }
    // `length` song bytes from `offset` of the newest snapshot's song file for `song`, which must be
    // a regular file of the size the manifest gives.
    bool ReadNewestSong(const SBackupSong &song, uint32_t offset, uint32_t length, QByteArray &bytes);
    // The creation time of the new snapshot: now, or a second after the newest snapshot's when that
    // is not earlier, so that every snapshot has a time of its own.
    QString NewSnapshotTime() const;
    // Writes a song file of the new backup.
    bool AddSong(const QString &file, const QByteArray &header, const uint8_t *data, uint32_t length);
    // Commits the new backup with its manifest and moves it to the top; the songs of the manifest
    // that AddSong did not write are the newest snapshot's, at the top already. When this fails
    // before the commit, the folder is as it was (Discard); after it, the new backup is complete
    // in the folder and the text says so.
    bool Commit(const SBackupManifest &manifest);
    // Removes what this backup wrote, and the folders it made; a backup committed in incoming (one
    // whose move to the top began, even a cut one this backup went on with) stays.
    void Discard();

    QString FailureText() const { return m_strFailure; }

private:
    bool HoldsBackupOrNothing();
    bool FinishCutMove();
    bool OpenIncoming();
    bool ClearIncoming();
    bool KeepTopSnapshot();
    bool WriteManifest(const SBackupManifest &manifest);
    bool MoveToTop(const SBackupManifest &manifest);
    bool TakeReplacedSongs(const SBackupManifest &manifest);
    bool MoveNewSongs(const SBackupManifest &manifest, std::vector<QString> &moved);
    bool MoveManifest();
    void RemoveDuplicates(const std::vector<QString> &moved);
    bool MoveCut(const QString &text);
    bool Fail(const QString &text);

    bool m_bMadeTop = false;
    bool m_bMadeWork = false;
    bool m_bHasNewest = false;
    // A committed backup is on its way to the top: nothing in incoming or the history may go.
    bool m_bMoving = false;
    SBackupManifest m_newest;
    QString m_strFailure;
};
