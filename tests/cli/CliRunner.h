#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct SCliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs brindle-cli as a user would, on a simulated Corvel Solo unless the environment says otherwise
// (an empty BRINDLE_SIM_MODEL counts as unset).
class CCliRunner {
public:
    CCliRunner();
    void Set(const QString &name, const QString &value) { m_environment.insert(name, value); }
    SCliRun Run(const QStringList &arguments) const;
    // With stdout and stderr on one terminal (through script(1)), where progress lines show;
    // everything the terminal received is in out.
    SCliRun RunOnTerminal(const QStringList &arguments) const;
    // Under another program, such as strace: `wrapper` is its command line before brindle-cli's.
    SCliRun RunUnder(const QStringList &wrapper, const QStringList &arguments) const;

private:
    SCliRun Execute(const QString &program, const QStringList &arguments) const;

    QProcessEnvironment m_environment;
};
