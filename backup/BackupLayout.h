#pragma once

#include "BackupManifest.h"

#include <QByteArray>
#include <QString>

class CSafeFolder;

// The places of a backup folder. Its newest snapshot lies at the top (manifest.json and the song
// files it names) as every reader of version 1 expects; Brindle's own work lives in .brindle:
//
//   .brindle/incoming/            a new backup while it is written, and while it moves to the top
//   .brindle/snapshots/NAME.json  the manifest of every earlier snapshot
//   .brindle/songs/SHA256.wav     the song files that earlier snapshots hold and the newest does not,
//                                 each named by the SHA-256 of its song bytes, so it is kept once
extern const char *const BACKUP_WORK_FOLDER;
extern const char *const BACKUP_INCOMING_FOLDER;
extern const char *const BACKUP_SNAPSHOTS_FOLDER;
extern const char *const BACKUP_SONGS_FOLDER;

// The name in .brindle/songs of the song whose bytes have this SHA-256.
QString StoredSongFileName(const QString &sha256);
// Reads and parses the manifest file `name` of the folder (a regular file of at most 1 MiB); its
// bytes go to json when given. False with a text that names the file.
bool ReadManifestFile(CSafeFolder &folder, const QString &name, SBackupManifest &manifest, QByteArray *json,
                      QString &errorText);
