#include "ArrangeRefusal.h"
#include "CCliLooper.h"
#include "CliArrange.h"
#include "CliCommands.h"
#include "CliSongs.h"

#include <cstdio>

namespace {
// Moves a song to another slot by writing its record there: no audio is copied.
int RunMove(const SCliOptions &options)
{
    CCliLooper looper;
    uint32_t from = 0;
    uint32_t to = 0;
    const int status = OpenTwoSlots(
        looper, options, "usage: brindle-cli move FROM TO [--yes] (--yes replaces the song of TO)", from, to);
    if (status != EXIT_OK)
        return status;
    CLooperSongTable &table = looper.Table();
    const QString refusal = MoveRefusal(table, from, to);
    if (refusal.isEmpty() && table.Store(to)->HasSong() && !options.yes) {
        std::fprintf(stderr, "brindle-cli: '%s' already exist; add --yes to replace it\n",
                     CliRowText(table, to).toUtf8().constData());
        return EXIT_USAGE;
    }
    return CliArrange(looper, refusal, from, to, [&] { return table.MoveSong(from, to); });
}
} // namespace

BRINDLE_CLI_COMMAND("move", RunMove);
