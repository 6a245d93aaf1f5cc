#include "CLooperSongTable.h"
#include "CUSBPort.h"
#include "CliCommands.h"
#include "CliSongs.h"
#include "StorageUse.h"

#include <cstdio>

namespace {
// Every slot on its own line, damaged ones too, then the free storage; a damaged slot fails the
// command once everything else is shown.
int RunList(const SCliOptions &options)
{
    CUSBPort port;
    CLooperSongTable table(port);
    const int status = LoadCliSongs(options, port, table);
    if (status != EXIT_OK)
        return status;
    for (uint32_t slot = 0; slot < table.StoreCount(); ++slot)
        std::printf("%s\n", CliRowText(table, slot).toUtf8().constData());
    std::printf("%s%s\n", FreeSpaceText(table).toUtf8().constData(),
                table.HasDamagedSlot() ? " (a damaged slot may own some of these blocks)" : "");
    return table.HasDamagedSlot() ? EXIT_FAILED : EXIT_OK;
}
} // namespace

BRINDLE_CLI_COMMAND("list", RunList);
