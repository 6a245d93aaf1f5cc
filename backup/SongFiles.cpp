#include "SongFiles.h"

#include "CWave.h"
#include "DeviceModel.h"

#include <QCryptographicHash>

namespace {
// The end of the RIFF size field: the header from here on is fixed by the model.
const int RIFF_SIZE_OFFSET = 8;
} // namespace

QByteArray SongWaveHeader(const FlashGeometry &geometry, uint32_t length)
{
    CWave wave;
    wave.SetFormat(uint16_t(geometry.channels), geometry.sampleRate, uint16_t(geometry.bitsPerSample));
    return wave.FileHeader(length);
}

// Only the RIFF size may differ from what a backup writes: readers ignore it.
bool IsSongWave(const QByteArray &file, const FlashGeometry &geometry, QString &reason)
{
    const uint32_t length = uint32_t(file.size() - SONG_WAVE_HEADER_SIZE);
    const QByteArray header = SongWaveHeader(geometry, length);
    if (file.size() >= SONG_WAVE_HEADER_SIZE && file.startsWith("RIFF") &&
        file.mid(RIFF_SIZE_OFFSET, header.size() - RIFF_SIZE_OFFSET) == header.mid(RIFF_SIZE_OFFSET))
        return true;
    reason = QStringLiteral("not a %1 Hz %2-bit %3-channel WAV file as this looper's backups hold")
                 .arg(geometry.sampleRate)
                 .arg(geometry.bitsPerSample)
                 .arg(geometry.channels);
    return false;
}

const uint8_t *SongBytesOf(const QByteArray &file)
{
    return reinterpret_cast<const uint8_t *>(file.constData()) + SONG_WAVE_HEADER_SIZE;
}

QString Sha256Hex(const uint8_t *bytes, uint32_t length)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(QByteArray::fromRawData(reinterpret_cast<const char *>(bytes), int(length)),
                                 QCryptographicHash::Sha256)
            .toHex());
}
