#include "SongFiles.h"

#include "CWave.h"
#include "DeviceModel.h"
#include "Messages.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSaveFile>

#include <cstdio>

namespace {
const char *const PART_SUFFIX = ".part";

// Save shows its own message; here the failure becomes the text the caller reports.
class CSilentMessages : public CMessagePresenter {
public:
    CSilentMessages() : m_pPrevious(SetMessagePresenter(this)) {}
    ~CSilentMessages() override { SetMessagePresenter(m_pPrevious); }
    void Present(const QString &text) override { m_strText = text; }
    QString Text() const { return m_strText; }

private:
    CMessagePresenter *m_pPrevious;
    QString m_strText;
};

bool Rename(const QString &from, const QString &to)
{
    // rename(2) replaces the target in one step where the system can.
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    QFile::remove(to);
    return QFile::rename(from, to);
}

} // namespace

void SetSongFormat(CWave &wave, const FlashGeometry &geometry)
{
    wave.SetFormat(uint16_t(geometry.channels), geometry.sampleRate, uint16_t(geometry.bitsPerSample));
}

bool SaveWaveAtomically(const CWave &wave, const QString &path, QString &errorText)
{
    const QString part = path + PART_SUFFIX;
    CSilentMessages messages;
    if (wave.Save(part) && Rename(part, path))
        return true;
    QFile::remove(part);
    errorText =
        QStringLiteral("%1: %2").arg(path, messages.Text().isEmpty() ? "Write file failed" : messages.Text());
    return false;
}

bool SaveFileAtomically(const QString &path, const QByteArray &content, QString &errorText)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit())
        return true;
    errorText = QStringLiteral("%1: %2").arg(path, file.errorString());
    return false;
}

bool LoadSongWave(const QString &path, const FlashGeometry &geometry, CWave &wave, QString &errorText)
{
    CSilentMessages messages;
    if (!wave.Load(path)) {
        errorText = messages.Text();
        return false;
    }
    CWave expected;
    SetSongFormat(expected, geometry);
    if (wave.HasFormat(expected.format))
        return true;
    errorText = QStringLiteral("%1: not %2 Hz %3-bit %4-channel audio as this looper stores it")
                    .arg(path)
                    .arg(geometry.sampleRate)
                    .arg(geometry.bitsPerSample)
                    .arg(geometry.channels);
    return false;
}

QString Sha256Hex(const uint8_t *bytes, uint32_t length)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(QByteArray::fromRawData(reinterpret_cast<const char *>(bytes), int(length)),
                                 QCryptographicHash::Sha256)
            .toHex());
}
