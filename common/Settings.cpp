#include "Settings.h"

#include "BrindleVersion.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

QString SettingsFilePath()
{
    return SettingsFileFor(QCoreApplication::applicationDirPath());
}

QString SettingsFileFor(const QString &strApplicationDir)
{
    const QDir applicationDir(strApplicationDir);
    const bool bInstalled =
        applicationDir.dirName() == "bin" &&
        QFile::exists(applicationDir.filePath("../share/metainfo/" BRINDLE_APP_ID ".metainfo.xml"));
    if (!bInstalled)
        return applicationDir.filePath("Config.ini");
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/brindle/Config.ini";
}

// Each call opens the file anew so the file always holds the last value written.
QString ReadConfigValue(const QString &strKey)
{
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    return settings.value(strKey, QVariant()).toString();
}

void WriteConfigValue(const QString &strKey, const QString &strValue)
{
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    settings.setValue(strKey, QVariant(strValue));
}

QString GetFileDir(const QString &strPath)
{
    return QFileInfo(strPath).absoluteDir().path() + "/";
}
