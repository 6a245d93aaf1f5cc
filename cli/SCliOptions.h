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
    // Whether --slots was given at all: an empty list is a mistake, not "every slot".
    bool slotListGiven = false;
    // restore: only the slots that are empty on the looper; an earlier snapshot of the backup.
    bool missing = false;
    QString snapshot;
    // backup: read every song again instead of only the changed ones.
    bool full = false;
    // upload, export: replace an existing file.
    bool force = false;
    // play: where to start, which audio service and output.
    QString from;
    QString audioApi;
    QString audioDevice;
    bool listDevices = false;
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
