#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// manifest.json of a backup folder: what was backed up from which looper, and the SHA-256 of
// every song's bytes. Optional fields (the song's record and name) are left out when unknown;
// readers of version 1 ignore them. Slots count from 0 here; the file counts them from 1, as the song list
// shows them ("slot": 3 is Song 003).
struct SBackupSong {
    uint32_t slot = 0;
    QString file;
    uint32_t bytes = 0;
    QString sha256;
    // Optional: the FAT page of the song's record and the SHA-256 of the record's bytes, so that
    // the next backup can tell the song unchanged; -1 and empty when the manifest does not say.
    int32_t fatPage = -1;
    QString recordSha256;
    // Optional: the song's name on the computer that made the backup.
    QString name;
};

struct SBackupDamage {
    uint32_t slot = 0;
    QString reason;
};

struct SBackupManifest {
    QString model;
    uint32_t productId = 0;
    QString firmware;
    QString created;
    std::vector<SBackupSong> songs;
    std::vector<SBackupDamage> damaged;
};

extern const char *const BACKUP_MANIFEST_NAME;

// "Song 001.wav" for slot 0.
QString BackupSongFileName(uint32_t slot);
QByteArray ManifestJson(const SBackupManifest &manifest);
// False with a text when json is not a version 1 backup manifest: what is wrong, and in which entry
// ("slots" entry 2: ...). No slot may appear twice.
bool ParseManifest(const QByteArray &json, SBackupManifest &manifest, QString &errorText);
