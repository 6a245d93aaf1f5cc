#include "ArrangeRefusal.h"
#include "CCliLooper.h"
#include "CliArrange.h"
#include "CliCommands.h"

namespace {
// Swaps the songs of two slots by writing their records: no audio is copied.
int RunSwap(const SCliOptions &options)
{
    CCliLooper looper;
    uint32_t first = 0;
    uint32_t second = 0;
    const int status = OpenTwoSlots(looper, options, "usage: brindle-cli swap SLOT SLOT", first, second);
    if (status != EXIT_OK)
        return status;
    CLooperSongTable &table = looper.Table();
    return CliArrange(looper, SwapRefusal(table, first, second), first, second,
                      [&] { return table.SwapSongs(first, second); });
}
} // namespace

BRINDLE_CLI_COMMAND("swap", RunSwap);
