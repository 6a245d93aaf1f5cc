#pragma once

#include <QStringList>

// Runs one brindle-cli command line (without the program name) and returns its exit status.
// The MIDI backend the options or the environment name is installed first; with neither, the one
// installed before stays.
int RunCli(const QStringList &arguments);
