#include "CliArrange.h"

#include "ArrangeRefusal.h"

#include "CCliLooper.h"
#include "CancelRequest.h"
#include "CliCancel.h"
#include "CliListLine.h"
#include "CliSongs.h"
#include "Messages.h"

#include <cstdio>

// A one-slot looper is told apart before its slots are: no slot numbers would do there.
int OpenTwoSlots(CCliLooper &looper, const SCliOptions &options, const char *usage, uint32_t &first,
                 uint32_t &second)
{
    if (options.arguments.size() != 2) {
        std::fprintf(stderr, "%s\n", usage);
        return EXIT_USAGE;
    }
    const int status = looper.Open(options);
    if (status != EXIT_OK)
        return status;
    const CLooperSongTable &table = looper.Table();
    if (table.StoreCount() == 1) {
        std::fprintf(stderr, "brindle-cli: %s\n", MoveRefusal(table, 0, 0).toUtf8().constData());
        return EXIT_FAILED;
    }
    const bool parsed = ParseCliSlot(options.arguments.value(0), table, first) &&
                        ParseCliSlot(options.arguments.value(1), table, second);
    return parsed ? EXIT_OK : EXIT_USAGE;
}

int CliArrange(CCliLooper &looper, const QString &refusal, uint32_t first, uint32_t second,
               const std::function<int32_t()> &arrange)
{
    if (!refusal.isEmpty()) {
        std::fprintf(stderr, "brindle-cli: %s\n", refusal.toUtf8().constData());
        return EXIT_FAILED;
    }
    if (CancelRequested())
        return CancelledExit();
    const int32_t result = arrange();
    CSongInfoKeeper &songInfo = looper.SongInfo();
    FILE *const out = result == RESULT_OK ? stdout : stderr;
    if (result != RESULT_OK)
        ShowResult(result);
    for (const uint32_t slot : {first, second}) {
        const QString name = songInfo.Names().Name(songInfo.Identity(slot));
        std::fprintf(out, "%s\n", CliListLine(looper.Table(), slot, name).toUtf8().constData());
    }
    return result == RESULT_OK ? EXIT_OK : EXIT_FAILED;
}
