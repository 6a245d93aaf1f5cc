#include "CSongCache.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QtEndian>

#include <zlib.h>

namespace {
const char PEAKS_MAGIC[] = "BRPEAKS1";
const char SONG_MAGIC[] = "BRSONG01";
const int MAGIC_SIZE = 8;
const int CRC_SIZE = 4;
// Magic, exact flag and three zero bytes, bin count.
const int PEAKS_HEADER_SIZE = MAGIC_SIZE + 4 + 4;
// Magic, song length.
const int SONG_HEADER_SIZE = MAGIC_SIZE + 4;

uint32_t Crc(uint32_t crc, const void *bytes, qint64 length)
{
    return uint32_t(crc32(crc, static_cast<const Bytef *>(bytes), uInt(length)));
}

QByteArray LittleEndian32(uint32_t value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// The header and the body of a cache file, when the file is all there and its CRC matches; the
// file then counts as used now.
bool ReadChecked(const QString &path, const char *magic, int headerSize, QByteArray &header,
                 std::vector<uint8_t> &body)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 bodySize = file.size() - headerSize - CRC_SIZE;
    if (bodySize < 0 || bodySize > qint64(UINT32_MAX))
        return false;
    header = file.read(headerSize);
    if (header.size() != headerSize || !header.startsWith(magic))
        return false;
    body.resize(size_t(bodySize));
    if (file.read(reinterpret_cast<char *>(body.data()), bodySize) != bodySize)
        return false;
    const QByteArray crc = file.read(CRC_SIZE);
    if (crc.size() != CRC_SIZE || qFromLittleEndian<uint32_t>(crc.constData()) !=
                                      Crc(Crc(0, header.constData(), headerSize), body.data(), bodySize))
        return false;
    file.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
    return true;
}
} // namespace

QString CSongCache::DefaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/brindle");
}

CSongCache::CSongCache(const QString &folder, qint64 limit) : m_strFolder(folder), m_nLimit(limit) {}

QString CSongCache::FilePath(const SSongIdentity &identity, const char *suffix) const
{
    return QDir(m_strFolder).filePath(identity.Key() + QLatin1String(suffix));
}

bool CSongCache::LoadPeaks(const SSongIdentity &identity, SSongPeaks &peaks) const
{
    QByteArray header;
    std::vector<uint8_t> body;
    if (!identity.IsValid() ||
        !ReadChecked(FilePath(identity, ".peaks"), PEAKS_MAGIC, PEAKS_HEADER_SIZE, header, body))
        return false;
    const uint32_t bins = qFromLittleEndian<uint32_t>(header.constData() + MAGIC_SIZE + 4);
    if (bins == 0 || body.size() != size_t(bins) * 4)
        return false;
    peaks.exact = header.at(MAGIC_SIZE) != char(0);
    peaks.minima.resize(bins);
    peaks.maxima.resize(bins);
    for (uint32_t b = 0; b < bins; ++b) {
        peaks.minima[b] = qFromLittleEndian<int16_t>(&body[4 * b]);
        peaks.maxima[b] = qFromLittleEndian<int16_t>(&body[4 * b + 2]);
    }
    return true;
}

bool CSongCache::StorePeaks(const SSongIdentity &identity, const SSongPeaks &peaks)
{
    SSongPeaks kept;
    if (!identity.IsValid() || peaks.IsEmpty() || (!peaks.exact && LoadPeaks(identity, kept) && kept.exact))
        return false;
    QByteArray header(PEAKS_MAGIC, MAGIC_SIZE);
    header +=
        QByteArray(1, char(peaks.exact ? 1 : 0)) + QByteArray(3, '\0') + LittleEndian32(peaks.BinCount());
    QByteArray bins(int(peaks.BinCount()) * 4, '\0');
    for (uint32_t b = 0; b < peaks.BinCount(); ++b) {
        qToLittleEndian(peaks.minima[b], bins.data() + 4 * b);
        qToLittleEndian(peaks.maxima[b], bins.data() + 4 * b + 2);
    }
    return Store(FilePath(identity, ".peaks"), header, reinterpret_cast<const uint8_t *>(bins.constData()),
                 uint32_t(bins.size()));
}

bool CSongCache::LoadSongBytes(const SSongIdentity &identity, std::vector<uint8_t> &bytes) const
{
    QByteArray header;
    std::vector<uint8_t> body;
    if (!identity.IsValid() ||
        !ReadChecked(FilePath(identity, ".song"), SONG_MAGIC, SONG_HEADER_SIZE, header, body) ||
        qFromLittleEndian<uint32_t>(header.constData() + MAGIC_SIZE) != body.size())
        return false;
    bytes.swap(body);
    return true;
}

bool CSongCache::StoreSongBytes(const SSongIdentity &identity, const uint8_t *bytes, uint32_t length)
{
    if (!identity.IsValid() || length == 0)
        return false;
    return Store(FilePath(identity, ".song"), QByteArray(SONG_MAGIC, MAGIC_SIZE) + LittleEndian32(length),
                 bytes, length);
}

void CSongCache::Forget(const SSongIdentity &identity)
{
    if (!identity.IsValid())
        return;
    QFile::remove(FilePath(identity, ".peaks"));
    QFile::remove(FilePath(identity, ".song"));
}

// The files carry no identity, so renaming them is enough; one left under `to` by an earlier song
// makes way.
void CSongCache::Move(const SSongIdentity &from, const SSongIdentity &to)
{
    if (!from.IsValid() || !to.IsValid() || from == to)
        return;
    for (const char *suffix : {".peaks", ".song"}) {
        if (!QFile::exists(FilePath(from, suffix)))
            continue;
        QFile::remove(FilePath(to, suffix));
        QFile::rename(FilePath(from, suffix), FilePath(to, suffix));
    }
}

bool CSongCache::Store(const QString &path, const QByteArray &header, const uint8_t *bytes, uint32_t length)
{
    if (!QDir().mkpath(m_strFolder))
        return false;
    const uint32_t crc = Crc(Crc(0, header.constData(), header.size()), bytes, length);
    QSaveFile file(path);
    const bool saved = file.open(QIODevice::WriteOnly) && file.write(header) == header.size() &&
                       file.write(reinterpret_cast<const char *>(bytes), length) == qint64(length) &&
                       file.write(LittleEndian32(crc)) == CRC_SIZE && file.commit();
    if (saved)
        Evict(path);
    return saved;
}

void CSongCache::Evict(const QString &keep) const
{
    const QFileInfoList files = QDir(m_strFolder)
                                    .entryInfoList({QStringLiteral("*.peaks"), QStringLiteral("*.song")},
                                                   QDir::Files, QDir::Time | QDir::Reversed);
    qint64 total = 0;
    for (const QFileInfo &file : files)
        total += file.size();
    for (const QFileInfo &file : files) {
        if (total <= m_nLimit)
            break;
        if (file.absoluteFilePath() != QFileInfo(keep).absoluteFilePath() &&
            QFile::remove(file.absoluteFilePath()))
            total -= file.size();
    }
}
