#pragma once

#include "BackupManifest.h"
#include "CBackupSnapshots.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

class CBackupObserver;
class CLooperSongTable;
class CSongNames;
struct DeviceIdentity;

// Puts the songs of a snapshot of a backup folder back into their slots, byte for byte, and reads
// each one back; a song's name comes back with it. Check finds everything that could go wrong
// before the device is touched.
class CSongRestore {
public:
    // Names go back into `names` (null: none do).
    CSongRestore(CLooperSongTable &table, const DeviceIdentity &identity, CBackupObserver *observer,
                 CSongNames *names = nullptr);

    // Chooses the snapshot `snapshotId` (its creation time, or the start of it; empty for the
    // newest) and checks its manifest and that it comes from this model; that the chosen songs fit the model
    // (length, blocks per song, free blocks for all of them) and no slot is damaged; and that each
    // song file is a regular file of the right size holding the bytes whose SHA-256 the manifest
    // gives. `chosenSlots` (from 0) chooses songs of the backup, empty chooses all; `missingOnly`
    // keeps those whose slot is empty on the looper. Nothing is sent to the device. False with
    // FailureText.
    bool Check(const QString &folder, const QString &snapshotId, const std::vector<uint32_t> &chosenSlots,
               bool missingOnly);
    // The target slots (from 0) that hold a song now: restoring replaces them.
    std::vector<uint32_t> OccupiedSlots() const;
    // Writes every chosen song and verifies it. RESULT_OK only when all were restored and verified;
    // RESULT_CANCELLED when asked to stop before a song was stored; another code with FailureText.
    int32_t Run();
    QString FailureText() const { return m_strFailure; }
    // The chosen songs, in the order Run restores them; the first RestoredCount of them are restored.
    const std::vector<SBackupSong> &Songs() const { return m_songs; }
    uint32_t RestoredCount() const { return m_nRestored; }

private:
    bool FromThisModel();
    bool ChooseSongs(const std::vector<uint32_t> &chosenSlots, bool missingOnly);
    bool FitsModel(const SBackupSong &song);
    bool RoomForSongs();
    bool LoadSong(const SBackupSong &song, QByteArray &file);
    int32_t RestoreSong(uint32_t index, const SBackupSong &song);
    int32_t VerifySong(const SBackupSong &song, const uint8_t *bytes);
    void GiveNameBack(const SBackupSong &song);
    bool Fail(const QString &text);
    int32_t Fail(int32_t result, const QString &text);

    CLooperSongTable &m_table;
    const DeviceIdentity &m_identity;
    CBackupObserver *m_pObserver;
    CSongNames *m_pNames;
    CBackupSnapshots m_backup;
    SBackupManifest m_manifest;
    std::vector<SBackupSong> m_songs;
    uint32_t m_nRestored = 0;
    QString m_strFailure;
};
