#include "CLooperSongTable.h"
#include "CTerminalProgress.h"
#include "CUSBPort.h"
#include "CWave.h"
#include "CliCommands.h"
#include "CliSongs.h"
#include "Messages.h"
#include "SongTransfer.h"

#include <cstdio>

namespace {
// Stores a WAV file in a slot, as the window's Download does; replacing a song needs --yes.
int RunDownload(const SCliOptions &options)
{
    if (options.arguments.size() != 2) {
        std::fprintf(stderr, "usage: brindle-cli download FILE.wav SLOT [--yes]\n");
        return EXIT_USAGE;
    }
    CUSBPort port;
    CLooperSongTable table(port);
    uint32_t slot = 0;
    const int status = OpenCliSlot(options, options.arguments[1], port, table, slot);
    if (status != EXIT_OK)
        return status;
    if (table.Store(slot)->HasSong() && !options.yes) {
        std::fprintf(stderr, "brindle-cli: '%s' already exist; add --yes to overwrite it\n",
                     CliRowText(table, slot).toUtf8().constData());
        return EXIT_USAGE;
    }
    CWave wave;
    if (!LoadWaveForDevice(wave, options.arguments[0], port.Identity().productId))
        return EXIT_FAILED;
    int32_t result = RESULT_OK;
    {
        CTerminalProgress progress(options.quiet);
        result = table.WriteSong(slot, wave.buffer.data, wave.DataLength(), &progress);
    }
    ShowResult(result);
    if (result == RESULT_OK && table.LoadSongs() == RESULT_OK)
        std::printf("%s\n", CliRowText(table, slot).toUtf8().constData());
    return result == RESULT_OK ? EXIT_OK : EXIT_FAILED;
}
} // namespace

BRINDLE_CLI_COMMAND("download", RunDownload);
