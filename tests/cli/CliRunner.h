#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>

struct SCliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs brindle-cli as a user would, on a simulated Corvel Solo unless the environment says otherwise
// (an empty BRINDLE_SIM_MODEL counts as unset). What brindle-cli keeps on the computer (names, caches,
// the demo looper) goes to the runner's own folders, never to the user's; copies share them.
class CCliRunner {
public:
    CCliRunner();
    // On a simulated looper of that model whose flash is kept in flashFile.
    CCliRunner(uint32_t productId, const QString &flashFile);
    void Set(const QString &name, const QString &value) { m_environment.insert(name, value); }
    SCliRun Run(const QStringList &arguments) const;
    // With stdout and stderr on one terminal (through script(1)), where progress lines show;
    // everything the terminal received is in out.
    SCliRun RunOnTerminal(const QStringList &arguments) const;
    // Under another program, such as strace: `wrapper` is its command line before brindle-cli's.
    SCliRun RunUnder(const QStringList &wrapper, const QStringList &arguments) const;
    // For a test that starts brindle-cli its own way.
    const QProcessEnvironment &Environment() const { return m_environment; }
    // Where brindle-cli keeps its names file.
    QString NamesFile() const;
    // Where brindle-cli keeps the demo looper's songs.
    QString DemoFlashFile() const;

private:
    SCliRun Execute(const QString &program, const QStringList &arguments) const;
    QString UserFolder(const QString &name) const { return m_pUserFolders->filePath(name); }

    std::shared_ptr<QTemporaryDir> m_pUserFolders = std::make_shared<QTemporaryDir>();
    QProcessEnvironment m_environment;
};
