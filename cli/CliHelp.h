#pragma once

#include "SCliOptions.h"

// --version, --help, -h, help [COMMAND] and COMMAND --help: true when the options asked for one of
// them, with status set to the exit status after printing it.
bool AnswerCliHelp(const SCliOptions &options, int &status);
