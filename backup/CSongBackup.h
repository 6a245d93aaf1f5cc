#pragma once

#include "BackupManifest.h"

#include <QString>

#include <cstdint>

class CBackupFolder;
class CBackupObserver;
class CLooperSongBase;
class CLooperSongTable;
class CSongNames;
struct DeviceIdentity;

// Copies every song of a loaded song table into a backup folder (CBackupFolder) as its new
// snapshot: one WAV file per song holding the song's bytes exactly as the device stores them, and
// manifest.json, with each song's record and name. A song that the folder's newest snapshot holds
// already is not read again: unchanged means that the slot's record (its bytes and FAT page) is the
// one that snapshot noted, and that the song's first and last pages on the looper hold the bytes
// of its file there. The new snapshot replaces the newest, which joins the folder's history, only
// once it is complete.
class CSongBackup {
public:
    // Names come from `names` (null: the manifest names no song).
    CSongBackup(CLooperSongTable &table, const DeviceIdentity &identity, CBackupObserver *observer,
                const CSongNames *names = nullptr);

    // RESULT_OK when every readable song was saved (damaged slots are listed in the manifest);
    // RESULT_CANCELLED when asked to stop; another code with FailureText otherwise. Unless it
    // returns RESULT_OK the folder is as it was, or FailureText says what is in it. `full` reads
    // every song again.
    int32_t Run(const QString &folder, bool full = false);
    QString FailureText() const { return m_strFailure; }
    const SBackupManifest &Manifest() const { return m_manifest; }
    // Songs read from the looper, and songs the folder held already.
    uint32_t ReadCount() const { return m_nRead; }
    uint32_t KeptCount() const { return uint32_t(m_manifest.songs.size()) - m_nRead; }

private:
    void DescribeDevice(const QString &created);
    int32_t BackUpSongs(CBackupFolder &target, bool full);
    const SBackupSong *NewestSong(const CBackupFolder &target, uint32_t slot) const;
    int32_t CheckUnchanged(uint32_t slot, const SBackupSong &newest, CBackupFolder &target, bool &unchanged);
    int32_t SamePage(uint32_t slot, uint32_t page, const SBackupSong &newest, CBackupFolder &target,
                     bool &same);
    SBackupSong SongEntry(uint32_t slot, const QString &sha256) const;
    int32_t BackUpSong(uint32_t index, uint32_t count, uint32_t slot, CBackupFolder &target);
    int32_t SlotFailure(uint32_t slot, int32_t result);
    int32_t Fail(const QString &text);

    CLooperSongTable &m_table;
    const DeviceIdentity &m_identity;
    CBackupObserver *m_pObserver;
    const CSongNames *m_pNames;
    SBackupManifest m_manifest;
    uint32_t m_nRead = 0;
    QString m_strFailure;
};
