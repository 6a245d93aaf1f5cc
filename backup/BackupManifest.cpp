#include "BackupManifest.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <map>

const char *const BACKUP_MANIFEST_NAME = "manifest.json";

namespace {
const char *const FORMAT_NAME = "brindle-backup";
const int FORMAT_VERSION = 1;

// A JSON string literal: QJsonDocument does the escaping of one-element arrays.
QByteArray Quoted(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

QByteArray SongJson(const SBackupSong &song)
{
    QByteArray json = "{\"slot\": " + QByteArray::number(song.slot + 1) + ", \"file\": " + Quoted(song.file) +
                      ", \"bytes\": " + QByteArray::number(song.bytes) +
                      ", \"sha256\": " + Quoted(song.sha256);
    if (song.fatPage >= 0)
        json += ", \"fatPage\": " + QByteArray::number(song.fatPage);
    if (!song.recordSha256.isEmpty())
        json += ", \"recordSha256\": " + Quoted(song.recordSha256);
    if (!song.name.isEmpty())
        json += ", \"name\": " + Quoted(song.name);
    return json + "}";
}

QByteArray DamageJson(const SBackupDamage &damage)
{
    return "{\"slot\": " + QByteArray::number(damage.slot + 1) + ", \"reason\": " + Quoted(damage.reason) +
           "}";
}

template <typename T> QByteArray ListJson(const std::vector<T> &items, QByteArray (*itemJson)(const T &))
{
    QByteArray text = "[";
    for (size_t i = 0; i < items.size(); ++i)
        text += QByteArray(i ? ",\n    " : "\n    ") + itemJson(items[i]);
    return text + (items.empty() ? "]" : "\n  ]");
}

bool ReadCount(const QJsonValue &value, uint32_t &number)
{
    const double real = value.toDouble(-1);
    if (real < 0 || real > 4294967295.0 || real != double(uint32_t(real)))
        return false;
    number = uint32_t(real);
    return true;
}

// The file counts slots from 1.
bool ReadSlot(const QJsonValue &value, uint32_t &slot, QString &reason)
{
    if (ReadCount(value, slot) && slot >= 1) {
        --slot;
        return true;
    }
    reason = QStringLiteral("\"slot\" is not a slot number from 1");
    return false;
}

// The manifest names files inside its own folder only.
bool IsPlainFileName(const QString &file)
{
    return !file.isEmpty() && file != ".." && QFileInfo(file).fileName() == file && !file.contains('\\');
}

bool IsSha256(const QString &text)
{
    return text.size() == 64 && std::all_of(text.begin(), text.end(), [](QChar c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

// What an older backup left out stays unknown; what it gives must make sense.
bool ReadOptionalFields(const QJsonObject &object, SBackupSong &song, QString &reason)
{
    uint32_t page = 0;
    song.recordSha256 = object.value("recordSha256").toString().toLower();
    song.name = object.value("name").toString();
    if (object.contains("fatPage") && !(ReadCount(object.value("fatPage"), page) && page <= INT32_MAX))
        reason = QStringLiteral("\"fatPage\" is not a page number");
    else if (object.contains("recordSha256") && !IsSha256(song.recordSha256))
        reason = QStringLiteral("\"recordSha256\" is not 64 hexadecimal digits");
    song.fatPage = object.contains("fatPage") ? int32_t(page) : -1;
    return reason.isEmpty();
}

bool ReadSong(const QJsonValue &value, SBackupSong &song, QString &reason)
{
    const QJsonObject object = value.toObject();
    song.file = object.value("file").toString();
    song.sha256 = object.value("sha256").toString().toLower();
    if (!ReadSlot(object.value("slot"), song.slot, reason))
        return false;
    if (!ReadCount(object.value("bytes"), song.bytes))
        reason = QStringLiteral("\"bytes\" is not a byte count");
    else if (!IsPlainFileName(song.file))
        reason =
            QStringLiteral("\"file\" \"%1\" is not the name of a file in the backup folder").arg(song.file);
    else if (!IsSha256(song.sha256))
        reason = QStringLiteral("\"sha256\" is not 64 hexadecimal digits");
    return reason.isEmpty() && ReadOptionalFields(object, song, reason);
}

bool ReadDamage(const QJsonValue &value, SBackupDamage &damage, QString &reason)
{
    const QJsonObject object = value.toObject();
    damage.reason = object.value("reason").toString();
    return ReadSlot(object.value("slot"), damage.slot, reason);
}

bool EntryFailure(const char *list, int index, const QString &reason, QString &errorText)
{
    errorText = QStringLiteral("\"%1\" entry %2: %3").arg(QLatin1String(list)).arg(index + 1).arg(reason);
    return false;
}

bool ReadSongs(const QJsonObject &object, SBackupManifest &manifest, QString &errorText)
{
    if (!object.value("slots").isArray()) {
        errorText = QStringLiteral("\"slots\" is not a list");
        return false;
    }
    const QJsonArray songs = object.value("slots").toArray();
    std::map<uint32_t, int> entryOfSlot;
    for (int k = 0; k < songs.size(); ++k) {
        SBackupSong song;
        QString reason;
        if (!ReadSong(songs[k], song, reason))
            return EntryFailure("slots", k, reason, errorText);
        const auto seen = entryOfSlot.emplace(song.slot, k);
        if (!seen.second)
            return EntryFailure("slots", k,
                                QStringLiteral("slot %1 appears twice (also in entry %2)")
                                    .arg(song.slot + 1)
                                    .arg(seen.first->second + 1),
                                errorText);
        manifest.songs.push_back(song);
    }
    return true;
}

bool ReadDamaged(const QJsonObject &object, SBackupManifest &manifest, QString &errorText)
{
    const QJsonArray damaged = object.value("damaged").toArray();
    for (int k = 0; k < damaged.size(); ++k) {
        SBackupDamage damage;
        QString reason;
        if (!ReadDamage(damaged[k], damage, reason))
            return EntryFailure("damaged", k, reason, errorText);
        manifest.damaged.push_back(damage);
    }
    return true;
}

bool ReadHeader(const QJsonObject &object, SBackupManifest &manifest, QString &errorText)
{
    manifest.model = object.value("model").toString();
    manifest.firmware = object.value("firmware").toString();
    manifest.created = object.value("created").toString();
    if (object.value("format").toString() != FORMAT_NAME || object.value("version").toInt() != FORMAT_VERSION)
        errorText = QStringLiteral("not a %1 version %2 manifest").arg(FORMAT_NAME).arg(FORMAT_VERSION);
    else if (!ReadCount(object.value("productId"), manifest.productId))
        errorText = QStringLiteral("\"productId\" is not a product id");
    return errorText.isEmpty();
}
} // namespace

QString BackupSongFileName(uint32_t slot)
{
    return QString::asprintf("Song %.3u.wav", slot + 1);
}

QByteArray ManifestJson(const SBackupManifest &manifest)
{
    return "{\n  \"format\": " + Quoted(FORMAT_NAME) +
           ",\n  \"version\": " + QByteArray::number(FORMAT_VERSION) +
           ",\n  \"model\": " + Quoted(manifest.model) +
           ",\n  \"productId\": " + QByteArray::number(manifest.productId) +
           ",\n  \"firmware\": " + Quoted(manifest.firmware) +
           ",\n  \"created\": " + Quoted(manifest.created) +
           ",\n  \"slots\": " + ListJson(manifest.songs, &SongJson) +
           ",\n  \"damaged\": " + ListJson(manifest.damaged, &DamageJson) + "\n}\n";
}

bool ParseManifest(const QByteArray &json, SBackupManifest &manifest, QString &errorText)
{
    manifest = SBackupManifest();
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (!document.isObject()) {
        errorText = parseError.error == QJsonParseError::NoError ? QStringLiteral("not a JSON object")
                                                                 : QStringLiteral("not JSON (%1 at byte %2)")
                                                                       .arg(parseError.errorString())
                                                                       .arg(parseError.offset);
        return false;
    }
    const QJsonObject object = document.object();
    return ReadHeader(object, manifest, errorText) && ReadSongs(object, manifest, errorText) &&
           ReadDamaged(object, manifest, errorText);
}
