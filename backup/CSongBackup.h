#pragma once

#include "BackupManifest.h"

#include <QString>

#include <cstdint>

class CBackupFolder;
class CBackupObserver;
class CLooperSongTable;
struct DeviceIdentity;

// Copies every song of a loaded song table into a backup folder (CBackupFolder): one WAV file per
// song holding the song's bytes exactly as the device stores them, and manifest.json. The new
// backup replaces the folder's previous one only once it is complete.
class CSongBackup {
public:
    CSongBackup(CLooperSongTable &table, const DeviceIdentity &identity, CBackupObserver *observer);

    // RESULT_OK when every readable song was saved (damaged slots are listed in the manifest);
    // RESULT_CANCELLED when asked to stop; another code with FailureText otherwise. Unless it
    // returns RESULT_OK the folder is as it was, or FailureText says what is in it.
    int32_t Run(const QString &folder);
    QString FailureText() const { return m_strFailure; }
    const SBackupManifest &Manifest() const { return m_manifest; }

private:
    void DescribeDevice();
    int32_t BackUpSongs(CBackupFolder &target);
    int32_t BackUpSong(uint32_t index, uint32_t count, uint32_t slot, CBackupFolder &target);
    int32_t Fail(const QString &text);

    CLooperSongTable &m_table;
    const DeviceIdentity &m_identity;
    CBackupObserver *m_pObserver;
    SBackupManifest m_manifest;
    QString m_strFailure;
};
