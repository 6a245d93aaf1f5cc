#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// manifest.json of a backup folder: what was backed up from which looper, and the SHA-256 of
// every song's bytes. Slots count from 0 here; the file counts them from 1, as the song list shows
// them ("slot": 3 is Song 003).
struct SBackupSong {
    uint32_t slot = 0;
    QString file;
    uint32_t bytes = 0;
    QString sha256;
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
