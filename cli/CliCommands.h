#pragma once

#include "SCliOptions.h"

#include <QString>

#include <map>

// Each command lives in a file of its own and registers itself by name; it returns the exit status.
using CliCommand = int (*)(const SCliOptions &options);

std::map<QString, CliCommand> &CliCommandTable();

struct SCliCommandRegistration {
    SCliCommandRegistration(const char *name, CliCommand command) { CliCommandTable()[name] = command; }
};

#define BRINDLE_CLI_COMMAND(name, function)                                                                  \
    static const SCliCommandRegistration function##Registration(name, &function)
