#include "CLooperSongTable.h"
#include "CUSBPort.h"
#include "CliCommands.h"
#include "CliSongs.h"
#include "Messages.h"

#include <cstdio>

namespace {
int RunDelete(const SCliOptions &options)
{
    if (options.arguments.size() != 1 || !options.yes) {
        std::fprintf(stderr, "usage: brindle-cli delete SLOT --yes (deleting cannot be undone)\n");
        return EXIT_USAGE;
    }
    CUSBPort port;
    CLooperSongTable table(port);
    int status = LoadCliSongs(options, port, table);
    uint32_t slot = 0;
    if (status != EXIT_OK)
        return status;
    if (!ParseCliSlot(options.arguments[0], table, slot))
        return EXIT_USAGE;
    if (!table.Store(slot)->HasSong()) {
        std::fprintf(stderr, "brindle-cli: slot %u holds no song\n", slot + 1);
        return EXIT_FAILED;
    }
    int32_t result = table.EraseSong(slot);
    if (result == RESULT_OK)
        result = table.LoadSongs();
    if (result != RESULT_OK) {
        ShowResult(result);
        return EXIT_FAILED;
    }
    std::printf("%s\n", CliRowText(table, slot).toUtf8().constData());
    return EXIT_OK;
}
} // namespace

BRINDLE_CLI_COMMAND("delete", RunDelete);
