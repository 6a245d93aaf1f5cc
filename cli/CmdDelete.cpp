#include "CCliLooper.h"
#include "CliCancel.h"
#include "CliCommands.h"
#include "CliSongs.h"
#include "CLooperSongTable.h"
#include "Messages.h"

#include <cstdio>

namespace {
int RunDelete(const SCliOptions &options)
{
    if (options.arguments.size() != 1 || !options.yes) {
        std::fprintf(stderr, "usage: brindle-cli delete SLOT --yes (deleting cannot be undone)\n");
        return EXIT_USAGE;
    }
    CCliLooper looper;
    uint32_t slot = 0;
    const int status = looper.OpenSlot(options, options.arguments[0], slot);
    if (status != EXIT_OK)
        return status;
    CLooperSongTable &table = looper.Table();
    // Deleting a damaged slot erases its record: that is how the device becomes writable again.
    const bool damaged = table.SlotLoadResult(slot) != RESULT_OK;
    if (!damaged && !CliSlotHasSong(table, slot))
        return EXIT_FAILED;
    return CliChangeSlot(table, slot, "deleted", [&] {
        const int32_t result = table.EraseSong(slot);
        return result == RESULT_OK ? table.ReloadSong(slot) : result;
    });
}
} // namespace

BRINDLE_CLI_COMMAND("delete", RunDelete);
