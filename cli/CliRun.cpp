#include "CliRun.h"

#include "CliCommands.h"
#include "CliHelp.h"
#include "MidiBackendChoice.h"
#include "MidiLibraryMessages.h"

#include <cstdio>

namespace {
int UsageError(const QString &text)
{
    std::fprintf(stderr, "brindle-cli: %s\n\n%s", text.toLocal8Bit().constData(),
                 CliUsage().toLocal8Bit().constData());
    return EXIT_USAGE;
}

bool InstallBackend(const SCliOptions &options, QString &errorText, bool &flashRefused)
{
    QuietMidiLibraries(!options.verbose);
    if (!options.api.isEmpty())
        return ChooseMidiBackend(options.api, errorText, &flashRefused);
    return InstallMidiBackendFromEnvironment(errorText, &flashRefused);
}
} // namespace

std::map<QString, CliCommand> &CliCommandTable()
{
    static std::map<QString, CliCommand> table;
    return table;
}

int RunCli(const QStringList &arguments)
{
    SCliOptions options;
    QString errorText;
    if (!ParseCliOptions(arguments, options, errorText))
        return UsageError(errorText);
    int status = EXIT_OK;
    if (AnswerCliHelp(options, status))
        return status;
    const auto command = CliCommandTable().find(options.command);
    if (command == CliCommandTable().end())
        return UsageError(QStringLiteral("unknown command %1").arg(options.command));
    if (options.json && !CliCommandTakesJson(options.command))
        return UsageError(QStringLiteral("--json is not available for %1").arg(options.command));
    bool flashRefused = false;
    if (!InstallBackend(options, errorText, flashRefused)) {
        if (!flashRefused)
            return UsageError(errorText);
        std::fprintf(stderr, "brindle-cli: %s\n", errorText.toLocal8Bit().constData());
        return EXIT_FAILED;
    }
    if (!DemoLooperInUse().isEmpty())
        std::fprintf(stderr, "Demo looper (songs kept in %s; remove it to start over)\n",
                     DemoLooperInUse().toLocal8Bit().constData());
    return command->second(options);
}
