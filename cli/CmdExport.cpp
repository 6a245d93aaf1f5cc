#include "AudioExport.h"
#include "CCliLooper.h"
#include "CliCancel.h"
#include "CliCommands.h"
#include "CliOutputFile.h"
#include "CliSongs.h"
#include "CliTransferSummary.h"
#include "CLooperSongTable.h"
#include "CTerminalProgress.h"
#include "Messages.h"

#include <cstdio>

namespace {
bool ParseExportFormat(const SCliOptions &options, SAudioExportFormat &format)
{
    bool ok = true;
    if (!options.rate.isEmpty())
        format.rate = options.rate.toUInt(&ok);
    if (ok && (format.rate < EXPORT_RATE_MIN || format.rate > EXPORT_RATE_MAX))
        ok = false;
    return ok && (options.bits.isEmpty() || ParseAudioSampleBits(options.bits, format.bits));
}

// Saves the song of a slot in a common audio format, at any rate, through the high-quality conversion;
// an existing file is replaced only with --force, and only once the new one is complete.
int RunExport(const SCliOptions &options)
{
    SAudioExportFormat format;
    if (options.arguments.size() != 2 || !ParseExportFormat(options, format)) {
        std::fprintf(stderr,
                     "usage: brindle-cli export SLOT FILE [--rate HZ] [--bits 16|24|32f] [--force]\n"
                     "FILE ends in .wav, .flac, .aiff or .ogg; HZ lies between %u and %u\n",
                     EXPORT_RATE_MIN, EXPORT_RATE_MAX);
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
    bool saved = false;
    int32_t result = RESULT_OK;
    {
        CTerminalProgress progress(options.quiet);
        result =
            ExportSongToAudioFile(looper.Table(), slot, looper.ProductId(), path, format, &progress, saved);
    }
    const int exit = SavedSongExit(result, saved);
    if (exit == EXIT_OK)
        PrintSavedSong(looper.Table(), slot, path,
                       ExportConversionText(looper.Table().Geometry(), path, format));
    return exit;
}
} // namespace

BRINDLE_CLI_COMMAND("export", RunExport);
