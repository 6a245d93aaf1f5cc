#include "CWave.h"

#include "CFileReplacement.h"
#include "FormatText.h"
#include "Messages.h"
#include "RegularFile.h"

#include <QFile>
#include <QtEndian>

#include <cstring>

namespace {
const char *const RIFF_NOT_FOUND = "Wave file '%s' RIFF not found";
const char *const WAVEFMT_NOT_FOUND = "Wave file '%s' WAVEfmt not found";
const char *const DATA_NOT_FOUND = "Wave file '%s' data segment not found";
const char *const FORMAT_REFUSED = "Wave file '%s' format not supported";
const char *const DATA_INCOMPLETE = "Wave file '%s' data incomplete";
const char *const OPEN_FAILED = "Open file failed";
const char *const WRITE_FAILED = "Write file failed";

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

bool FileFailed(SFileFailure &failure, const char *text, const QString &strPath, const QString &reason)
{
    failure = SFileFailure{QString::fromLatin1(text), strPath, reason};
    return false;
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
    SFileFailure failure;
    if (Load(strPath, SClipLimit(), failure))
        return true;
    ShowMessage(failure.text);
    return false;
}

bool CWave::Load(const QString &strPath, const SClipLimit &limit, SFileFailure &failure)
{
    QString reason;
    const int handle = OpenRegularFile(strPath, reason);
    QFile file;
    if (handle < 0 || !file.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return FileFailed(failure, OPEN_FAILED, strPath, reason);
    // The message texts take the name as UTF-8, so that it stays readable.
    const QByteArray name = strPath.toUtf8();
    WaveFormat loaded;
    uint32_t dataSize = 0;
    return ReadChunks(file, name, loaded, dataSize, failure) &&
           ReadSamples(file, name, loaded, dataSize, limit, failure);
}

// The fmt chunk must come first and the data chunk right after it; nothing else is skipped.
bool CWave::ReadChunks(QFile &file, const QByteArray &name, WaveFormat &loaded, uint32_t &dataSize,
                       SFileFailure &failure) const
{
    uint32_t riffSize = 0;
    uint32_t fmtSize = 0;
    if (!ReadTag(file, "RIFF") || !ReadU32(file, riffSize))
        return SFileFailure::Refuse(failure, RIFF_NOT_FOUND, name, true);
    if (!ReadTag(file, "WAVEfmt ") || !ReadU32(file, fmtSize))
        return SFileFailure::Refuse(failure, WAVEFMT_NOT_FOUND, name, true);
    std::memset(&loaded, 0, sizeof loaded);
    const qint64 fmtStart = file.pos();
    file.read(reinterpret_cast<char *>(&loaded), std::min<qint64>(fmtSize, sizeof loaded));
    if (!file.seek(fmtStart + fmtSize) || !ReadTag(file, "data") || !ReadU32(file, dataSize))
        return SFileFailure::Refuse(failure, DATA_NOT_FOUND, name, true);
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
// rather than leaving samples of undefined content. The length the header claims is checked
// against the limit and the file before anything is allocated.
bool CWave::ReadSamples(QFile &file, const QByteArray &name, const WaveFormat &loaded, uint32_t dataSize,
                        const SClipLimit &limit, SFileFailure &failure)
{
    if (loaded.blockAlign == 0)
        return SFileFailure::Refuse(failure, FORMAT_REFUSED, name, true);
    const uint32_t frames = dataSize / loaded.blockAlign;
    const uint32_t rate = loaded.samplesPerSec;
    if (limit.rate != 0 && frames != 0) {
        if (rate == 0)
            return SFileFailure::Refuse(failure, FORMAT_REFUSED, name);
        if (uint64_t(frames - 1) * limit.rate > limit.frames * rate)
            return FileFailed(failure, "File too large!", QString::fromUtf8(name),
                              QStringLiteral("it lasts %1, more than the %2 a slot holds")
                                  .arg(LengthText(frames, rate), LengthText(limit.frames, limit.rate)));
    }
    const qint64 length = qint64(frames) * loaded.blockAlign;
    if (length > file.size() - file.pos())
        return SFileFailure::Refuse(failure, DATA_INCOMPLETE, name);
    uint8_t *array = frames ? new uint8_t[size_t(length)] : nullptr;
    if (length && file.read(reinterpret_cast<char *>(array), length) != length) {
        delete[] array;
        return SFileFailure::Refuse(failure, DATA_INCOMPLETE, name);
    }
    format = loaded;
    buffer.Attach(array, frames, loaded.blockAlign);
    return true;
}

bool CWave::Save(const QString &strPath) const
{
    SFileFailure failure;
    if (Save(strPath, failure))
        return true;
    ShowMessage(failure.text);
    return false;
}

// Every write is checked: a full disk must not leave a truncated file, nor take the earlier one.
bool CWave::Save(const QString &strPath, SFileFailure &failure) const
{
    CFileReplacement file(strPath);
    QString reason;
    if (!file.Open(reason))
        return FileFailed(failure, OPEN_FAILED, strPath, reason);
    const uint32_t length = DataLength();
    const QByteArray header = FileHeader(length);
    file.Write(header.constData(), size_t(header.size()));
    if (length != 0)
        file.Write(buffer.data, length);
    if (file.Commit(reason))
        return true;
    return FileFailed(failure, WRITE_FAILED, strPath, reason);
}

QByteArray CWave::FileHeader(uint32_t dataLength) const
{
    WaveFormat stored = format;
    stored.formatTag = qToLittleEndian(stored.formatTag);
    stored.channels = qToLittleEndian(stored.channels);
    stored.samplesPerSec = qToLittleEndian(stored.samplesPerSec);
    stored.avgBytesPerSec = qToLittleEndian(stored.avgBytesPerSec);
    stored.blockAlign = qToLittleEndian(stored.blockAlign);
    stored.bitsPerSample = qToLittleEndian(stored.bitsPerSample);
    stored.extraSize = qToLittleEndian(stored.extraSize);
    return "RIFF" + U32(FILE_HEADER_SIZE - 8 + dataLength) + "WAVEfmt " + U32(18) +
           QByteArray(reinterpret_cast<const char *>(&stored), sizeof stored) + "data" + U32(dataLength);
}
