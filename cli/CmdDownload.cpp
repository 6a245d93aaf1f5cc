#include "CLooperSongTable.h"
#include "CUSBPort.h"
#include "CWave.h"
#include "CliCancel.h"
#include "CliCommands.h"
#include "CliSongWrite.h"
#include "SongTransfer.h"

#include <cstdio>

namespace {
// Stores a WAV file in a slot, as the window's Download does; replacing a song needs --yes.
int RunDownload(const SCliOptions &options)
{
    if (options.arguments.size() != 2) {
        std::fprintf(stderr, "usage: brindle-cli download FILE.wav SLOT [--yes] [--verify]\n");
        return EXIT_USAGE;
    }
    CatchCancelSignals();
    CUSBPort port;
    CLooperSongTable table(port);
    uint32_t slot = 0;
    const int status = OpenCliSlotForWrite(options, options.arguments[1], port, table, slot);
    if (status != EXIT_OK)
        return status;
    CWave wave;
    if (!LoadWaveForDevice(wave, options.arguments[0], port.Identity().productId))
        return EXIT_FAILED;
    return StoreCliSong(options, table, slot, wave.buffer.data, wave.DataLength());
}
} // namespace

BRINDLE_CLI_COMMAND("download", RunDownload);
