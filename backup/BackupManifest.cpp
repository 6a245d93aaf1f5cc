#include "BackupManifest.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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
    return "{\"slot\": " + QByteArray::number(song.slot) + ", \"file\": " + Quoted(song.file) +
           ", \"bytes\": " + QByteArray::number(song.bytes) + ", \"sha256\": " + Quoted(song.sha256) + "}";
}

QByteArray DamageJson(const SBackupDamage &damage)
{
    return "{\"slot\": " + QByteArray::number(damage.slot) + ", \"reason\": " + Quoted(damage.reason) + "}";
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

// The manifest names files inside its own folder only.
bool IsPlainFileName(const QString &file)
{
    return !file.isEmpty() && file != ".." && QFileInfo(file).fileName() == file && !file.contains('\\');
}

bool ReadSong(const QJsonValue &value, SBackupSong &song)
{
    const QJsonObject object = value.toObject();
    song.file = object.value("file").toString();
    song.sha256 = object.value("sha256").toString().toLower();
    return ReadCount(object.value("slot"), song.slot) && ReadCount(object.value("bytes"), song.bytes) &&
           song.slot >= 1 && IsPlainFileName(song.file) && song.sha256.size() == 64;
}

bool ReadDamage(const QJsonValue &value, SBackupDamage &damage)
{
    const QJsonObject object = value.toObject();
    damage.reason = object.value("reason").toString();
    return ReadCount(object.value("slot"), damage.slot);
}

bool ReadLists(const QJsonObject &object, SBackupManifest &manifest)
{
    for (const QJsonValue &value : object.value("slots").toArray()) {
        SBackupSong song;
        if (!ReadSong(value, song))
            return false;
        manifest.songs.push_back(song);
    }
    for (const QJsonValue &value : object.value("damaged").toArray()) {
        SBackupDamage damage;
        if (!ReadDamage(value, damage))
            return false;
        manifest.damaged.push_back(damage);
    }
    return object.value("slots").isArray();
}
} // namespace

QString BackupSongFileName(uint32_t slot)
{
    return QString::asprintf("Song %.3u.wav", slot);
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
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    manifest = SBackupManifest();
    manifest.model = object.value("model").toString();
    manifest.firmware = object.value("firmware").toString();
    manifest.created = object.value("created").toString();
    if (object.value("format").toString() != FORMAT_NAME ||
        object.value("version").toInt() != FORMAT_VERSION ||
        !ReadCount(object.value("productId"), manifest.productId) || !ReadLists(object, manifest)) {
        errorText = QStringLiteral("%1 is not a brindle-backup version 1 manifest").arg(BACKUP_MANIFEST_NAME);
        return false;
    }
    return true;
}
