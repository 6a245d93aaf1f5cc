#include "CStderrPresenter.h"
#include "CliCommands.h"
#include "CliHelp.h"
#include "MidiBackendChoice.h"

#include <QCoreApplication>

#include <cstdio>

namespace {
int UsageError(const QString &text)
{
    std::fprintf(stderr, "brindle-cli: %s\n\n%s", text.toLocal8Bit().constData(),
                 CliUsage().toLocal8Bit().constData());
    return EXIT_USAGE;
}

bool InstallBackend(const SCliOptions &options, QString &errorText)
{
    if (!options.api.isEmpty())
        return ChooseMidiBackend(options.api, errorText);
    return InstallMidiBackendFromEnvironment(errorText);
}
// Debug lines are for developers; the terminal shows them only when BRINDLE_DEBUG is set.
void QuietDebugLines(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtDebugMsg && qEnvironmentVariableIsEmpty("BRINDLE_DEBUG"))
        return;
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}
} // namespace

std::map<QString, CliCommand> &CliCommandTable()
{
    static std::map<QString, CliCommand> table;
    return table;
}

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    qInstallMessageHandler(&QuietDebugLines);
    CStderrPresenter presenter;
    SetMessagePresenter(&presenter);

    SCliOptions options;
    QString errorText;
    if (!ParseCliOptions(application.arguments().mid(1), options, errorText))
        return UsageError(errorText);
    int status = EXIT_OK;
    if (AnswerCliHelp(options, status))
        return status;
    const auto command = CliCommandTable().find(options.command);
    if (command == CliCommandTable().end())
        return UsageError(QStringLiteral("unknown command %1").arg(options.command));
    if (options.json && !CliCommandTakesJson(options.command))
        return UsageError(QStringLiteral("--json is not available for %1").arg(options.command));
    if (!InstallBackend(options, errorText))
        return UsageError(errorText);
    return command->second(options);
}
