#include "CCliLooper.h"
#include "CliCancel.h"
#include "CliCommands.h"
#include "CliSongWrite.h"
#include "CLooperSongTable.h"
#include "CWave.h"
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
    CCliLooper looper;
    uint32_t slot = 0;
    const int status = looper.OpenSlotForWrite(options, options.arguments[1], slot);
    if (status != EXIT_OK)
        return status;
    CWave wave;
    if (!LoadWaveForDevice(wave, options.arguments[0], looper.ProductId()))
        return EXIT_FAILED;
    return StoreCliSong(options, looper.Table(), slot, wave.buffer.data, wave.DataLength());
}
} // namespace

BRINDLE_CLI_COMMAND("download", RunDownload);
