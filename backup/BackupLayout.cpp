#include "BackupLayout.h"

#include "CSafeFolder.h"

const char *const BACKUP_WORK_FOLDER = ".brindle";
const char *const BACKUP_INCOMING_FOLDER = "incoming";
const char *const BACKUP_SNAPSHOTS_FOLDER = "snapshots";
const char *const BACKUP_SONGS_FOLDER = "songs";

namespace {
// Far beyond the manifest of any looper; a bigger file is no manifest, whatever it holds.
const qint64 MAX_MANIFEST_BYTES = 1 << 20;
} // namespace

QString StoredSongFileName(const QString &sha256)
{
    return sha256 + QStringLiteral(".wav");
}

bool ReadManifestFile(CSafeFolder &folder, const QString &name, SBackupManifest &manifest, QByteArray *json,
                      QString &errorText)
{
    const QString path = folder.PathOf(name);
    qint64 size = 0;
    QByteArray bytes;
    if (!folder.RegularFileSize(name, size) ||
        (size <= MAX_MANIFEST_BYTES && !folder.ReadFile(name, size, bytes))) {
        errorText = folder.ErrorText();
        return false;
    }
    if (size > MAX_MANIFEST_BYTES) {
        errorText = QStringLiteral("%1: %2 bytes, too large for a backup manifest").arg(path).arg(size);
        return false;
    }
    if (!ParseManifest(bytes, manifest, errorText)) {
        errorText = QStringLiteral("%1: %2").arg(path, errorText);
        return false;
    }
    if (json)
        *json = bytes;
    return true;
}
