#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct SCliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs brindle-cli as a user would, on the simulator unless the environment says otherwise.
class CCliRunner {
public:
    CCliRunner();
    void Set(const QString &name, const QString &value) { m_environment.insert(name, value); }
    SCliRun Run(const QStringList &arguments) const;

private:
    QProcessEnvironment m_environment;
};
