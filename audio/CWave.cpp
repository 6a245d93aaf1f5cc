#include "CWave.h"

#include "Messages.h"

#include <QFile>
#include <QtEndian>

#include <cstring>

namespace {
const char *const RIFF_NOT_FOUND = "Wave file '%s' RIFF not found";
const char *const WAVEFMT_NOT_FOUND = "Wave file '%s' WAVEfmt not found";
const char *const DATA_NOT_FOUND = "Wave file '%s' data segment not found";
const char *const FORMAT_REFUSED = "Wave file '%s' format not supported";
const char *const DATA_INCOMPLETE = "Wave file '%s' data incomplete";
const uint32_t HEADER_SIZE = 46;

bool ReadU32(QFile &file, uint32_t &value)
{
    uint8_t bytes[4];
    if (file.read(reinterpret_cast<char *>(bytes), 4) != 4)
        return false;
    value = qFromLittleEndian<uint32_t>(bytes);
    return true;
}

bool ReadTag(QFile &file, const char *tag)
{
    const qint64 length = qint64(std::strlen(tag));
    return file.read(length) == QByteArray(tag, int(length));
}

QByteArray U32(uint32_t value)
{
    uint8_t bytes[4];
    qToLittleEndian(value, bytes);
    return QByteArray(reinterpret_cast<const char *>(bytes), 4);
}
} // namespace

WaveFormat TargetFormat(uint32_t samplesPerSec)
{
    return WaveFormat{1, 1, samplesPerSec, 3 * samplesPerSec, 3, 24, 18};
}

CWave::CWave() : format()
{
    format.formatTag = 1;
}

void CWave::SetFormat(uint16_t channels, uint32_t samplesPerSec, uint16_t bitsPerSample)
{
    format.formatTag = 1;
    format.channels = channels;
    format.samplesPerSec = samplesPerSec;
    format.bitsPerSample = bitsPerSample;
    format.extraSize = 18;
    format.blockAlign = uint16_t(uint32_t(channels) * bitsPerSample / 8);
    format.avgBytesPerSec = samplesPerSec * format.blockAlign;
    buffer.Attach(nullptr, 0, format.blockAlign);
}

void CWave::SetData(uint8_t *array, uint32_t frameCount)
{
    buffer.Attach(array, frameCount, format.blockAlign);
}

bool CWave::HasFormat(const WaveFormat &other) const
{
    return std::memcmp(&format, &other, sizeof format) == 0;
}

bool CWave::Load(const QString &strPath)
{
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowMessage(QStringLiteral("Open file failed"));
        return false;
    }
    // The message functions decode %s as UTF-8, so the name goes in as UTF-8 to stay readable.
    const QByteArray name = file.fileName().toUtf8();
    WaveFormat loaded;
    uint32_t dataSize = 0;
    return ReadChunks(file, name, loaded, dataSize) && ReadSamples(file, name, loaded, dataSize);
}

// The fmt chunk must come first and the data chunk right after it; nothing else is skipped.
bool CWave::ReadChunks(QFile &file, const QByteArray &name, WaveFormat &loaded, uint32_t &dataSize) const
{
    uint32_t riffSize = 0;
    uint32_t fmtSize = 0;
    if (!ReadTag(file, "RIFF") || !ReadU32(file, riffSize)) {
        ShowMessageF(RIFF_NOT_FOUND, name.constData());
        return false;
    }
    if (!ReadTag(file, "WAVEfmt ") || !ReadU32(file, fmtSize)) {
        ShowMessageF(WAVEFMT_NOT_FOUND, name.constData());
        return false;
    }
    std::memset(&loaded, 0, sizeof loaded);
    const qint64 fmtStart = file.pos();
    file.read(reinterpret_cast<char *>(&loaded), std::min<qint64>(fmtSize, sizeof loaded));
    if (!file.seek(fmtStart + fmtSize) || !ReadTag(file, "data") || !ReadU32(file, dataSize)) {
        ShowMessageF(DATA_NOT_FOUND, name.constData());
        return false;
    }
    loaded.formatTag = qFromLittleEndian(loaded.formatTag);
    loaded.channels = qFromLittleEndian(loaded.channels);
    loaded.samplesPerSec = qFromLittleEndian(loaded.samplesPerSec);
    loaded.avgBytesPerSec = qFromLittleEndian(loaded.avgBytesPerSec);
    loaded.blockAlign = qFromLittleEndian(loaded.blockAlign);
    loaded.bitsPerSample = qFromLittleEndian(loaded.bitsPerSample);
    loaded.extraSize = qFromLittleEndian(loaded.extraSize);
    return true;
}

// The clip changes only once every whole frame was read; a file that ends early is refused
// rather than leaving samples of undefined content.
bool CWave::ReadSamples(QFile &file, const QByteArray &name, const WaveFormat &loaded, uint32_t dataSize)
{
    if (loaded.blockAlign == 0) {
        ShowMessageF(FORMAT_REFUSED, name.constData());
        return false;
    }
    const uint32_t frames = dataSize / loaded.blockAlign;
    const qint64 length = qint64(frames) * loaded.blockAlign;
    if (length > file.size() - file.pos()) {
        ShowMessageF(DATA_INCOMPLETE, name.constData());
        return false;
    }
    uint8_t *array = frames ? new uint8_t[size_t(length)] : nullptr;
    if (length && file.read(reinterpret_cast<char *>(array), length) != length) {
        delete[] array;
        ShowMessageF(DATA_INCOMPLETE, name.constData());
        return false;
    }
    format = loaded;
    buffer.Attach(array, frames, loaded.blockAlign);
    return true;
}

// Every write is checked: a full disk must not leave a truncated file reported as written.
bool CWave::Save(const QString &strPath) const
{
    QFile file(strPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        ShowMessage(QStringLiteral("Open file failed"));
        return false;
    }
    const uint32_t length = DataLength();
    WaveFormat stored = format;
    stored.formatTag = qToLittleEndian(stored.formatTag);
    stored.channels = qToLittleEndian(stored.channels);
    stored.samplesPerSec = qToLittleEndian(stored.samplesPerSec);
    stored.avgBytesPerSec = qToLittleEndian(stored.avgBytesPerSec);
    stored.blockAlign = qToLittleEndian(stored.blockAlign);
    stored.bitsPerSample = qToLittleEndian(stored.bitsPerSample);
    stored.extraSize = qToLittleEndian(stored.extraSize);
    QByteArray header = "RIFF" + U32(0) + "WAVEfmt " + U32(18);
    header += QByteArray(reinterpret_cast<const char *>(&stored), sizeof stored);
    header += "data" + U32(length);
    bool written = file.write(header) == HEADER_SIZE;
    written =
        written && (length == 0 || file.write(reinterpret_cast<const char *>(buffer.data), length) == length);
    written = written && file.seek(4) && file.write(U32(uint32_t(file.size()) - 8)) == 4 && file.flush();
    file.close();
    if (written && file.error() == QFileDevice::NoError)
        return true;
    ShowMessage(QStringLiteral("Write file failed"));
    return false;
}
