#include "CCliLooper.h"
#include "CliCancel.h"
#include "CliCommands.h"
#include "CliSongs.h"
#include "CLooperSongTable.h"
#include "Messages.h"

#include <cstdio>

namespace {
// Only a slot whose newest record was torn while the one before it is whole can be repaired:
// anything else would bring back a song that is no longer on the flash.
bool CliSlotRecoverable(const CLooperSongTable &table, uint32_t slot)
{
    if (table.SlotLoadResult(slot) == RESULT_OK) {
        std::fprintf(stderr, "brindle-cli: slot %u is not damaged; nothing to repair\n", slot + 1);
        return false;
    }
    if (table.SongRecoverable(slot))
        return true;
    std::fprintf(stderr, "brindle-cli: %s: no previous version can be recovered\n",
                 CliRowText(table, slot).toUtf8().constData());
    return false;
}

int RunRepair(const SCliOptions &options)
{
    if (options.arguments.size() != 1) {
        std::fprintf(stderr, "usage: brindle-cli repair SLOT\n");
        return EXIT_USAGE;
    }
    CCliLooper looper;
    uint32_t slot = 0;
    const int status = looper.OpenSlot(options, options.arguments[0], slot);
    if (status != EXIT_OK)
        return status;
    CLooperSongTable &table = looper.Table();
    if (!CliSlotRecoverable(table, slot))
        return EXIT_FAILED;
    return CliChangeSlot(table, slot, "repaired", [&] { return table.RepairSong(slot); });
}
} // namespace

BRINDLE_CLI_COMMAND("repair", RunRepair);
