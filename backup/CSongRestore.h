#pragma once

#include "BackupManifest.h"

#include <QString>

#include <cstdint>
#include <vector>

class CBackupObserver;
class CLooperSongTable;
class CWave;
struct DeviceIdentity;

// Puts the songs of a backup folder back into their slots, byte for byte, and reads each one back.
// Check finds everything that could go wrong before the device is touched.
class CSongRestore {
public:
    CSongRestore(CLooperSongTable &table, const DeviceIdentity &identity, CBackupObserver *observer);

    // Checks the manifest, that it comes from this model, every chosen file and its SHA-256, and
    // that the target slots exist and no slot is damaged. `chosenSlots` (from 1) chooses songs of the
    // backup; empty chooses all. Nothing is sent to the device. False with FailureText.
    bool Check(const QString &folder, const std::vector<uint32_t> &chosenSlots);
    // The target slots (from 0) that hold a song now: restoring replaces them.
    std::vector<uint32_t> OccupiedSlots() const;
    // Writes every chosen song and verifies it. RESULT_OK only when all were restored and verified;
    // RESULT_CANCELLED when asked to stop; another code with FailureText otherwise.
    int32_t Run();
    QString FailureText() const { return m_strFailure; }
    const std::vector<SBackupSong> &Songs() const { return m_songs; }

private:
    bool ReadManifest();
    bool ChooseSongs(const std::vector<uint32_t> &chosenSlots);
    bool RoomForSongs();
    bool LoadSong(const SBackupSong &song, CWave &wave);
    int32_t RestoreSong(uint32_t index, const SBackupSong &song);
    bool Fail(const QString &text);

    CLooperSongTable &m_table;
    const DeviceIdentity &m_identity;
    CBackupObserver *m_pObserver;
    QString m_strFolder;
    SBackupManifest m_manifest;
    std::vector<SBackupSong> m_songs;
    QString m_strFailure;
};
