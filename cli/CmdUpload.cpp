#include "CCliLooper.h"
#include "CliCancel.h"
#include "CliCommands.h"
#include "CliOutputFile.h"
#include "CliSongs.h"
#include "CliTransferSummary.h"
#include "CLooperSongTable.h"
#include "CTerminalProgress.h"
#include "Messages.h"
#include "SongTransfer.h"

#include <cstdio>

namespace {
// Saves the song of a slot as a WAV file, as the window's Upload does; an existing file is replaced
// only with --force, and only once the new one is complete.
int RunUpload(const SCliOptions &options)
{
    if (options.arguments.size() != 2) {
        std::fprintf(stderr, "usage: brindle-cli upload SLOT FILE.wav [--force]\n");
        return EXIT_USAGE;
    }
    const QString path = options.arguments[1];
    if (!CliOutputFileAllowed(options, path))
        return EXIT_FAILED;
    CCliLooper looper;
    uint32_t slot = 0;
    const int status = looper.OpenSongSlot(options, options.arguments[0], slot);
    if (status != EXIT_OK)
        return status;
    SFileFailure failure;
    int32_t result = RESULT_OK;
    {
        CTerminalProgress progress(options.quiet);
        result = UploadSongToFile(looper.Table(), slot, looper.ProductId(), path, &progress, failure);
    }
    if (result == RESULT_OK && !failure.text.isEmpty())
        ShowMessage(failure.Detail());
    const int exit = SavedSongExit(result, failure.text.isEmpty());
    if (exit == EXIT_OK)
        PrintSavedSong(looper.Table(), slot, path, UploadConversionText(looper.ProductId()));
    return exit;
}
} // namespace

BRINDLE_CLI_COMMAND("upload", RunUpload);
