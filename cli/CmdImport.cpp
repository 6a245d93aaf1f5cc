#include "AudioImport.h"
#include "CLooperSongTable.h"
#include "CTerminalProgress.h"
#include "CUSBPort.h"
#include "CliCommands.h"
#include "CliSongs.h"
#include "Messages.h"
#include "SongVerify.h"

#include <cstdio>
#include <vector>

namespace {
int ImportUsage()
{
    std::fprintf(stderr,
                 "usage: brindle-cli import FILE SLOT [--yes] [--channel left|right|mix] [--verify]\n");
    return EXIT_USAGE;
}

int VerifyImport(CLooperSongTable &table, uint32_t slot, const std::vector<uint8_t> &song)
{
    QString failureText;
    if (VerifySongInSlot(table, slot, song.data(), uint32_t(song.size()), failureText))
        return EXIT_OK;
    std::fprintf(stderr, "brindle-cli: verify failed: %s\n", failureText.toUtf8().constData());
    return EXIT_FAILED;
}

// The file's song in the connected model's layout; false after a message.
bool ConvertForLooper(CUSBPort &port, const QString &strPath, AudioChannelChoice choice,
                      std::vector<uint8_t> &song)
{
    const DeviceModel *model = FindDeviceModel(port.Identity().productId);
    if (model && model->geometry)
        return ConvertAudioFileForDevice(strPath, *model->geometry, choice, song);
    ShowResult(RESULT_DEVICE_NOT_SUPPORTED);
    return false;
}

int StoreSong(const SCliOptions &options, CLooperSongTable &table, uint32_t slot,
              const std::vector<uint8_t> &song)
{
    int32_t result = RESULT_OK;
    {
        CTerminalProgress progress(options.quiet);
        result = table.WriteSong(slot, song.data(), uint32_t(song.size()), &progress);
    }
    ShowResult(result);
    if (result != RESULT_OK || table.LoadSongs() != RESULT_OK)
        return EXIT_FAILED;
    std::printf("%s\n", CliRowText(table, slot).toUtf8().constData());
    return options.verify ? VerifyImport(table, slot, song) : EXIT_OK;
}

// Stores any audio file in a slot through the high-quality conversion; the rules of download hold.
int RunImport(const SCliOptions &options)
{
    AudioChannelChoice choice = CHANNELS_DEFAULT;
    if (options.arguments.size() != 2 ||
        (!options.channel.isEmpty() && !ParseAudioChannelChoice(options.channel, choice)))
        return ImportUsage();
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
    std::vector<uint8_t> song;
    if (!ConvertForLooper(port, options.arguments[0], choice, song))
        return EXIT_FAILED;
    return StoreSong(options, table, slot, song);
}
} // namespace

BRINDLE_CLI_COMMAND("import", RunImport);
