#pragma once

#include <QString>
#include <QStringList>

enum : int {
    EXIT_OK = 0,
    EXIT_FAILED = 1,
    EXIT_USAGE = 2,
    EXIT_NO_DEVICE = 3,
};

struct SCliOptions {
    QString api;
    QString port;
    QString inPort;
    QString outPort;
    bool quiet = false;
    // Shows the MIDI libraries' own messages.
    bool verbose = false;
    bool yes = false;
    bool json = false;
    bool help = false;
    bool version = false;
    // import / export
    bool verify = false;
    QString channel;
    QString rate;
    QString bits;
    // restore: the slots to restore, such as "1,3-5"; empty restores every song of the backup.
    QString slotList;
    QString command;
    QStringList arguments;
};

// Fills options from the program's arguments (without the program name); false with a text on misuse.
bool ParseCliOptions(const QStringList &arguments, SCliOptions &options, QString &errorText);
// The whole usage text, and the usage of one command (empty when name is no command).
QString CliUsage();
QString CliCommandUsage(const QString &name);
// Whether the command prints a JSON document for --json.
bool CliCommandTakesJson(const QString &name);
