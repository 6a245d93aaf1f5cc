#include "CliHelp.h"

#include "BrindleVersion.h"

#include <cstdio>

namespace {
int PrintCommandUsage(const QString &name)
{
    const QString usage = CliCommandUsage(name);
    if (usage.isEmpty()) {
        std::fprintf(stderr, "brindle-cli: unknown command %s\n\n%s", qPrintable(name),
                     qPrintable(CliUsage()));
        return EXIT_USAGE;
    }
    std::printf("%s", qPrintable(usage));
    return EXIT_OK;
}
} // namespace

bool AnswerCliHelp(const SCliOptions &options, int &status)
{
    status = EXIT_OK;
    if (options.version) {
        std::printf("brindle-cli %s\n", BRINDLE_VERSION);
        return true;
    }
    const bool helpCommand = options.command == QLatin1String("help");
    if (!options.help && !helpCommand)
        return false;
    if (helpCommand && options.arguments.size() > 1) {
        std::fprintf(stderr, "brindle-cli: help takes one command name\n\n%s", qPrintable(CliUsage()));
        status = EXIT_USAGE;
    } else if (helpCommand && !options.arguments.isEmpty())
        status = PrintCommandUsage(options.arguments[0]);
    else if ((helpCommand && !options.help) || options.command.isEmpty())
        std::printf("%s", qPrintable(CliUsage()));
    else
        status = PrintCommandUsage(options.command);
    return true;
}
