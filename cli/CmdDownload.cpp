#include "AudioImport.h"
#include "CCliLooper.h"
#include "CliCancel.h"
#include "CliCommands.h"
#include "CliSongWrite.h"
#include "CliTransferSummary.h"
#include "CLooperSongTable.h"
#include "CWave.h"
#include "Messages.h"
#include "SongTransfer.h"

#include <cstdio>

namespace {
// The window's Download keeps its strict reader; on a terminal a file it refuses for its layout
// alone is pointed at the reader that takes it.
void ShowRefusal(const SFileFailure &failure, const QString &strPath)
{
    ShowMessage(failure.Detail());
    if (failure.layoutRefused && AudioFileReadable(strPath))
        std::fprintf(stderr, "brindle-cli import reads any audio file\n");
}

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
    const QString path = options.arguments[0];
    CWave wave;
    SFileFailure failure;
    QString conversion;
    if (!LoadWaveForDevice(wave, path, looper.ProductId(), failure, conversion)) {
        ShowRefusal(failure, path);
        return EXIT_FAILED;
    }
    const int exit = StoreCliSong(options, looper.Table(), slot, wave.buffer.data, wave.DataLength());
    if (exit == EXIT_OK)
        PrintStoredSong(looper.Table(), slot, path, conversion, wave.DataLength());
    return exit;
}
} // namespace

BRINDLE_CLI_COMMAND("download", RunDownload);
