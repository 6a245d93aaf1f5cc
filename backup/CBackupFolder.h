#pragma once

#include "BackupManifest.h"
#include "CSafeFolder.h"

#include <QString>

#include <cstdint>

// A backup folder. Its newest backup lies at the top: manifest.json and the song files it names,
// as every reader of version 1 expects. Brindle keeps its own work in the sub-folder .brindle: a
// new backup is written whole into .brindle/incoming, synced, and only then moved to the top,
// songs first and manifest.json last, so that the previous backup stays as it was until the new
// one is complete. A move cut by a power loss is finished by the next backup; restore reads such a
// backup from where its files are.
class CBackupFolder {
public:
    // Creates the folder when missing and refuses one that holds other files but no backup; then
    // finishes a cut move and clears what a cut backup left in .brindle/incoming.
    bool OpenForBackup(const QString &path);
    // Writes a song file of the new backup.
    bool AddSong(const QString &file, const QByteArray &header, const uint8_t *data, uint32_t length);
    // Writes the new backup's manifest and moves the new backup to the top. When this fails before
    // the move began, the folder is as it was (Discard); once begun, the new backup is complete
    // in the folder and the text says so.
    bool Commit(const SBackupManifest &manifest);
    // Removes what this backup wrote, and the folders it made.
    void Discard();

    // The manifest of the newest complete backup of the folder.
    bool OpenForRestore(const QString &path, SBackupManifest &manifest);
    // A song file of that backup, which must be `size` bytes long.
    bool ReadSong(const QString &file, qint64 size, QByteArray &bytes);
    QString SongPath(const QString &file) const;

    QString FailureText() const { return m_strFailure; }

private:
    bool HoldsBackupOrNothing();
    bool FinishCutMove();
    bool OpenIncoming();
    bool ClearIncoming();
    bool MoveToTop(const SBackupManifest &manifest);
    bool MoveCut(const CSafeFolder &failed);
    bool ReadManifest(CSafeFolder &folder, SBackupManifest &manifest);
    CSafeFolder &SongFolder(const QString &file);
    bool Fail(const QString &text);

    QString m_strPath;
    CSafeFolder m_top;
    CSafeFolder m_work;
    CSafeFolder m_incoming;
    bool m_bMadeTop = false;
    bool m_bMadeWork = false;
    bool m_bHasBackup = false;
    // Restore of a backup whose move was cut: each file lies in incoming or, moved, at the top.
    bool m_bMoveCut = false;
    QString m_strFailure;
};
