#include "Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

QString SettingsFilePath()
{
    return QCoreApplication::applicationDirPath() + "/Config.ini";
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
