#include "CCliLooper.h"
#include "CliCommands.h"
#include "CliListLine.h"

#include <cstdio>

namespace {
// Names the song of a slot on this computer (the looper keeps no names): TEXT sets it, an empty
// TEXT takes it away, no TEXT prints it.
int RunName(const SCliOptions &options)
{
    if (options.arguments.isEmpty()) {
        std::fprintf(stderr, "usage: brindle-cli name SLOT [TEXT]\n");
        return EXIT_USAGE;
    }
    CCliLooper looper;
    uint32_t slot = 0;
    const int status = looper.OpenSongSlot(options, options.arguments[0], slot);
    if (status != EXIT_OK)
        return status;
    CSongNames &names = looper.SongInfo().Names();
    const SSongIdentity identity = looper.SongInfo().Identity(slot);
    if (options.arguments.size() == 1) {
        const QString name = names.Name(identity);
        if (!name.isEmpty())
            std::printf("%s\n", name.toUtf8().constData());
        return EXIT_OK;
    }
    QString errorText;
    if (!names.SetName(identity, options.arguments.mid(1).join(' '), errorText)) {
        std::fprintf(stderr, "brindle-cli: %s\n", errorText.toUtf8().constData());
        return EXIT_FAILED;
    }
    std::printf("%s\n", CliListLine(looper.Table(), slot, names.Name(identity)).toUtf8().constData());
    return EXIT_OK;
}
} // namespace

BRINDLE_CLI_COMMAND("name", RunName);
