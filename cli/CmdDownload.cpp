#include "CLooperSongTable.h"
#include "CTerminalProgress.h"
#include "CUSBPort.h"
#include "CancelRequest.h"
#include "CliCancel.h"
#include "CWave.h"
#include "CliCommands.h"
#include "CliSongs.h"
#include "Messages.h"
#include "SongTransfer.h"
#include "SongVerify.h"

#include <cstdio>

namespace {
// Reads the slot back and compares it with what was sent; a difference fails the download.
int VerifyDownload(CLooperSongTable &table, uint32_t slot, const CWave &wave)
{
    const int32_t result = table.ReloadSong(slot);
    if (result != RESULT_OK) {
        ShowResult(result);
        return EXIT_FAILED;
    }
    QString failureText;
    if (VerifySongInSlot(table, slot, wave.buffer.data, wave.DataLength(), failureText))
        return EXIT_OK;
    if (CancelRequested())
        return CancelledExit();
    ShowMessage(failureText);
    return EXIT_FAILED;
}

// Stores a WAV file in a slot, as the window's Download does; replacing a song needs --yes.
int RunDownload(const SCliOptions &options)
{
    if (options.arguments.size() != 2) {
        std::fprintf(stderr, "usage: brindle-cli download FILE.wav SLOT [--yes]\n");
        return EXIT_USAGE;
    }
    CatchCancelSignals();
    CUSBPort port;
    CLooperSongTable table(port);
    uint32_t slot = 0;
    const int status = OpenCliSlot(options, options.arguments[1], port, table, slot);
    if (status != EXIT_OK)
        return status;
    if (CliRefuseWhileDamaged(table))
        return EXIT_FAILED;
    if (table.Store(slot)->HasSong() && !options.yes) {
        std::fprintf(stderr, "brindle-cli: '%s' already exist; add --yes to overwrite it\n",
                     CliRowText(table, slot).toUtf8().constData());
        return EXIT_USAGE;
    }
    CWave wave;
    if (!LoadWaveForDevice(wave, options.arguments[0]))
        return EXIT_FAILED;
    int32_t result = RESULT_OK;
    {
        CTerminalProgress progress(options.quiet);
        result = table.WriteSong(slot, wave.buffer.data, wave.DataLength(), &progress);
    }
    if (result == RESULT_CANCELLED)
        return CancelledExit();
    if (result == RESULT_OK && options.verify) {
        const int verified = VerifyDownload(table, slot, wave);
        if (verified != EXIT_OK)
            return verified;
    }
    ShowResult(result);
    if (result == RESULT_OK && table.ReloadSong(slot) == RESULT_OK)
        std::printf("%s\n", CliRowText(table, slot).toUtf8().constData());
    return result == RESULT_OK ? EXIT_OK : EXIT_FAILED;
}
} // namespace

BRINDLE_CLI_COMMAND("download", RunDownload);
