#pragma once

#include <QString>

#include <cstdint>

// Where an item's flash layout text is put while the item is programmed: "Config.ini" beside the
// package, or "FlashLayout.ini" there when that would be the program's own settings file.
QString LayoutFilePath(const QString &strPackagePath);

// Writes the layout text, replacing an older file; shows "Open file failed" when it cannot.
bool WriteLayoutFile(const QString &strPath, const uint8_t *text, uint32_t length);
