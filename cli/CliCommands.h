#pragma once

#include "SCliOptions.h"

// One function per command; each returns the process exit status.
int RunPorts(const SCliOptions &options);
int RunInfo(const SCliOptions &options);
