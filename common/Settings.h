#pragma once

#include <QString>

// The three dialog directories remembered across runs live in "Config.ini" beside the executable;
// for an installed copy (bin/ beside share/ holding our metainfo), whose folder belongs to the system
// and not to the user, in the user's configuration folder ("brindle/Config.ini").
QString SettingsFilePath();
QString SettingsFileFor(const QString &strApplicationDir);
QString ReadConfigValue(const QString &strKey);
void WriteConfigValue(const QString &strKey, const QString &strValue);
QString GetFileDir(const QString &strPath);
