#include "CCliLooper.h"
#include "CliCancel.h"
#include "CliCommands.h"
#include "CliSongs.h"
#include "CLooperSongTable.h"
#include "CTerminalProgress.h"
#include "Messages.h"
#include "SongTransfer.h"

#include <cstdio>

namespace {
// Saves the song of a slot as a WAV file, as the window's Upload does.
int RunUpload(const SCliOptions &options)
{
    if (options.arguments.size() != 2) {
        std::fprintf(stderr, "usage: brindle-cli upload SLOT FILE.wav\n");
        return EXIT_USAGE;
    }
    CCliLooper looper;
    uint32_t slot = 0;
    const int status = looper.OpenSongSlot(options, options.arguments[0], slot);
    if (status != EXIT_OK)
        return status;
    bool saved = false;
    int32_t result = RESULT_OK;
    {
        CTerminalProgress progress(options.quiet);
        result = UploadSongToFile(looper.Table(), slot, looper.ProductId(), options.arguments[1], &progress,
                                  saved);
    }
    return SavedSongExit(result, saved);
}
} // namespace

BRINDLE_CLI_COMMAND("upload", RunUpload);
