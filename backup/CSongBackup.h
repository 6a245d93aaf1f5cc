#pragma once

#include "BackupManifest.h"

#include <QString>

#include <cstdint>

class CBackupObserver;
class CLooperSongTable;
class CWave;
struct DeviceIdentity;

// Copies every song of a loaded song table into a folder: one WAV file per song holding the
// song's bytes exactly as the device stores them, and manifest.json, written last, so that a
// folder with a manifest is a complete backup.
class CSongBackup {
public:
    CSongBackup(CLooperSongTable &table, const DeviceIdentity &identity, CBackupObserver *observer);

    // RESULT_OK when every readable song was saved (damaged slots are listed in the manifest);
    // RESULT_CANCELLED when asked to stop; another code with FailureText otherwise.
    int32_t Run(const QString &folder);
    QString FailureText() const { return m_strFailure; }
    const SBackupManifest &Manifest() const { return m_manifest; }

private:
    int32_t PrepareFolder(const QString &folder);
    void DescribeDevice();
    int32_t BackUpSong(uint32_t index, uint32_t count, uint32_t slot, const QString &folder);
    int32_t ReadSong(uint32_t slot, CWave &wave);
    int32_t Fail(const QString &text);

    CLooperSongTable &m_table;
    const DeviceIdentity &m_identity;
    CBackupObserver *m_pObserver;
    SBackupManifest m_manifest;
    QString m_strFailure;
};
