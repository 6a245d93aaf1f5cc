#pragma once

#include <QByteArray>
#include <QString>

// Whole files as bytes, for tests that set up or look at files themselves.

// Empty when the file cannot be read.
QByteArray ReadAll(const QString &path);
// Replaces the file with the bytes; false unless every byte was written.
bool WriteFile(const QString &path, const QByteArray &bytes);
