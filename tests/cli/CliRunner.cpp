#include "CliRunner.h"

#include <QProcess>

namespace {
QString ShellQuoted(QString text)
{
    return "'" + text.replace("'", "'\\''") + "'";
}
} // namespace

CCliRunner::CCliRunner() : m_environment(QProcessEnvironment::systemEnvironment())
{
    m_environment.insert("BRINDLE_MIDI_API", "simulator");
    for (const char *name :
         {"BRINDLE_SIM_MODEL", "BRINDLE_SIM_VERSION", "BRINDLE_SIM_MODE", "BRINDLE_SIM_DEVICES",
          "BRINDLE_SIM_FLASH", "BRINDLE_SIM_WIRE", "BRINDLE_SIM_SIGNAL"})
        m_environment.remove(name);
    // The tests were written for the one-slot looper; the demo looper is what no variable gives.
    m_environment.insert("BRINDLE_SIM_MODEL", "10003");
    m_environment.insert("XDG_DATA_HOME", UserFolder("data"));
    m_environment.insert("XDG_CACHE_HOME", UserFolder("cache"));
    m_environment.insert("XDG_STATE_HOME", UserFolder("state"));
}

CCliRunner::CCliRunner(uint32_t productId, const QString &flashFile) : CCliRunner()
{
    Set("BRINDLE_SIM_MODEL", QString::number(productId));
    Set("BRINDLE_SIM_FLASH", flashFile);
}

QString CCliRunner::NamesFile() const
{
    return UserFolder("data/brindle/names.json");
}

QString CCliRunner::DemoFlashFile() const
{
    return UserFolder("state/brindle/demo.flash");
}

SCliRun CCliRunner::Run(const QStringList &arguments) const
{
    return Execute(BRINDLE_CLI_PATH, arguments);
}

SCliRun CCliRunner::RunOnTerminal(const QStringList &arguments) const
{
    QStringList command{ShellQuoted(BRINDLE_CLI_PATH)};
    for (const QString &argument : arguments)
        command.append(ShellQuoted(argument));
    return Execute("script", {"-qec", command.join(' '), "/dev/null"});
}

SCliRun CCliRunner::RunUnder(const QStringList &wrapper, const QStringList &arguments) const
{
    return Execute(wrapper.value(0), wrapper.mid(1) + QStringList{BRINDLE_CLI_PATH} + arguments);
}

SCliRun CCliRunner::Execute(const QString &program, const QStringList &arguments) const
{
    QProcess process;
    process.setProcessEnvironment(m_environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    SCliRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        run.err = "brindle-cli did not finish";
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}
