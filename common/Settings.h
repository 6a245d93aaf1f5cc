#pragma once

#include <QString>

// The three dialog directories remembered across runs live in "Config.ini" beside the executable.
QString SettingsFilePath();
QString ReadConfigValue(const QString &strKey);
void WriteConfigValue(const QString &strKey, const QString &strValue);
QString GetFileDir(const QString &strPath);
