#pragma once

#include <QString>

// The reason a file or folder could not be used, from errno.
QString SystemErrorText(int error);

// Opens a regular file for reading; -1 with the reason for anything else. A FIFO or a device is
// refused before it is opened, so that it can neither block the open nor act on it.
int OpenRegularFile(const QString &strPath, QString &reason);
