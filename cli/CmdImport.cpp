#include "AudioImport.h"
#include "CCliLooper.h"
#include "CliCancel.h"
#include "CliCommands.h"
#include "CliSongWrite.h"
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
                      std::vector<uint8_t> &song)
{
    const DeviceModel *model = FindDeviceModel(productId);
    if (model && model->geometry)
        return ConvertAudioFileForDevice(strPath, *model->geometry, choice, song);
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
    std::vector<uint8_t> song;
    if (!ConvertForLooper(looper.ProductId(), options.arguments[0], choice, song))
        return EXIT_FAILED;
    return StoreCliSong(options, looper.Table(), slot, song.data(), uint32_t(song.size()));
}
} // namespace

BRINDLE_CLI_COMMAND("import", RunImport);
