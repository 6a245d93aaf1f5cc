#include "LayoutFile.h"

#include "Messages.h"
#include "Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const char LAYOUT_FILE_NAME[] = "Config.ini";
const char SEPARATE_LAYOUT_FILE_NAME[] = "FlashLayout.ini";

#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
const Qt::CaseSensitivity FILE_NAME_CASE = Qt::CaseInsensitive;
#else
const Qt::CaseSensitivity FILE_NAME_CASE = Qt::CaseSensitive;
#endif

// Compares through the directories, which exist, so that links and relative spellings of the
// application directory are recognised even before the settings file has been created.
bool SameFile(const QString &strFirst, const QString &strSecond)
{
    const QFileInfo first(strFirst);
    const QFileInfo second(strSecond);
    const QString firstDir = QFileInfo(first.absolutePath()).canonicalFilePath();
    const QString secondDir = QFileInfo(second.absolutePath()).canonicalFilePath();
    return !firstDir.isEmpty() && firstDir.compare(secondDir, FILE_NAME_CASE) == 0 &&
           first.fileName().compare(second.fileName(), FILE_NAME_CASE) == 0;
}

} // namespace

QString LayoutFilePath(const QString &strPackagePath)
{
    const QString path = GetFileDir(strPackagePath) + LAYOUT_FILE_NAME;
    if (SameFile(path, SettingsFilePath()))
        return GetFileDir(strPackagePath) + SEPARATE_LAYOUT_FILE_NAME;
    return path;
}

bool WriteLayoutFile(const QString &strPath, const uint8_t *text, uint32_t length)
{
    QFile file(strPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        ShowMessage("Open file failed");
        return false;
    }
    if (file.write(reinterpret_cast<const char *>(text), length) != qint64(length) || !file.flush()) {
        ShowMessage("Write file failed");
        return false;
    }
    return true;
}
