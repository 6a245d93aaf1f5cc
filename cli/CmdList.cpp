#include "CLooperSongTable.h"
#include "CUSBPort.h"
#include "CliCommands.h"
#include "CliSongs.h"

#include <cstdio>

namespace {
int RunList(const SCliOptions &options)
{
    CUSBPort port;
    CLooperSongTable table(port);
    const int status = LoadCliSongs(options, port, table);
    if (status != EXIT_OK)
        return status;
    for (uint32_t slot = 0; slot < table.StoreCount(); ++slot)
        std::printf("%s\n", CliRowText(table, slot).toUtf8().constData());
    return EXIT_OK;
}
} // namespace

BRINDLE_CLI_COMMAND("list", RunList);
