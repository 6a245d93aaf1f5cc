#include "AudioImport.h"
#include "CCliLooper.h"
#include "CliCancel.h"
#include "CliCommands.h"
#include "CliSongWrite.h"
#include "CliTransferSummary.h"
#include "CLooperSongTable.h"
#include "Messages.h"

#include <cstdio>
#include <vector>

namespace {
int ImportUsage()
{
    std::fprintf(stderr,
                 "usage: brindle-cli import FILE SLOT [--yes] [--channel left|right|mix] [--verify]\n");
    return EXIT_USAGE;
}

// The file's song in the connected model's layout; false after a message.
bool ConvertForLooper(uint32_t productId, const QString &strPath, AudioChannelChoice choice,
                      std::vector<uint8_t> &song, SImportSummary &summary)
{
    const DeviceModel *model = FindDeviceModel(productId);
    if (model && model->geometry)
        return ConvertAudioFileForDevice(strPath, *model->geometry, choice, song, summary);
    ShowResult(RESULT_DEVICE_NOT_SUPPORTED);
    return false;
}

// Stores any audio file in a slot through the high-quality conversion; the rules of download hold.
int RunImport(const SCliOptions &options)
{
    AudioChannelChoice choice = CHANNELS_DEFAULT;
    if (options.arguments.size() != 2 ||
        (!options.channel.isEmpty() && !ParseAudioChannelChoice(options.channel, choice)))
        return ImportUsage();
    CCliLooper looper;
    uint32_t slot = 0;
    const int status = looper.OpenSlotForWrite(options, options.arguments[1], slot);
    if (status != EXIT_OK)
        return status;
    const QString path = options.arguments[0];
    std::vector<uint8_t> song;
    SImportSummary summary;
    if (!ConvertForLooper(looper.ProductId(), path, choice, song, summary))
        return EXIT_FAILED;
    const int exit = StoreCliSong(options, looper.Table(), slot, song.data(), uint32_t(song.size()));
    if (exit == EXIT_OK)
        PrintStoredSong(looper.Table(), slot, path, summary.conversion, summary.unpaddedBytes);
    return exit;
}
} // namespace

BRINDLE_CLI_COMMAND("import", RunImport);
