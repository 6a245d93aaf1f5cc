#pragma once

#include <QByteArray>
#include <QMap>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// One hostile situation for brindle-cli: what the folder and the looper hold before, the command
// line, and how it must end. Unless the case says the work completed, the looper's flash and every
// file of the folder must be byte for byte as before, and no file may have appeared.
class CHostileScene {
public:
    explicit CHostileScene(const QString &folder);
    ~CHostileScene();

    // A path inside the scene's folder; "{dir}" in a command line argument stands for the folder.
    QString Path(const QString &name) const;
    void Write(const QString &name, const QByteArray &bytes) const;
    void Link(const QString &name, const QString &target) const;
    void Fifo(const QString &name) const;
    void Set(const QString &variable, const QString &value) { environment.insert(variable, value); }
    // Sends `signal` `count` times, 100 ms apart: once stderr shows `text`, or `delayMs` after the
    // start when text is empty.
    void SignalWhen(const QString &text, int signal, int count = 1, int delayMs = 0);
    // Nobody reads what the program writes to stdout and stderr: writes fail with a broken pipe.
    void CloseOutput() { closeOutput = true; }
    // A file system of `kilobytes` at the folder `name`, for a full disk; gone when the scene ends.
    // Without the right to mount one the case is skipped.
    void SmallDisk(const QString &name, int kilobytes);

    QString folder;
    // The looper: model and songs (slot from 0) that its flash file holds before the command.
    uint32_t productId = 10002;
    QMap<uint32_t, QByteArray> songs;
    QProcessEnvironment environment;
    QString signalText;
    int signalNumber = 0;
    int signalCount = 0;
    int signalDelayMs = 0;
    bool closeOutput = false;
    QStringList mounts;
    QString skipReason;
};

struct SHostileRun {
    int exitCode = -1;
    QString err;
};

// How the case must end besides its exit code and message: by default nothing changed; a check
// decides otherwise for work that completed (false with the reason).
using HostileCheck = bool (*)(const CHostileScene &scene, const SHostileRun &run, QString &why);

struct SHostileCase {
    const char *name;
    void (*setUp)(CHostileScene &scene);
    QStringList arguments;
    int exitCode;
    // A regular expression that stderr must match.
    QString message;
    HostileCheck completed = nullptr;
};

using HostileRows = std::vector<SHostileCase> (*)();
struct SHostileRowsRegistration {
    explicit SHostileRowsRegistration(HostileRows rows);
};
std::vector<HostileRows> &AllHostileRows();

// Each file of rows registers itself: BRINDLE_HOSTILE_ROWS(BackupRows);
#define BRINDLE_HOSTILE_ROWS(function) static const SHostileRowsRegistration function##Registration(&function)

// Song bytes of a given length for a scene's looper, different for each seed.
QByteArray HostileSong(int length, int seed);
// A WAV file's bytes: 44-byte canonical header with the fields given, then `data`.
QByteArray HostileWav(uint16_t channels, uint32_t rate, uint16_t bits, uint32_t dataSize,
                      const QByteArray &data);
