#pragma once

#include "SCliOptions.h"

// Whether a command may write its file, asked before the looper is read: an existing file is
// replaced only with --force, and a link, a folder or a device never. False after a message.
bool CliOutputFileAllowed(const SCliOptions &options, const QString &strPath);
