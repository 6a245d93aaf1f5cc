#include "CBackupTerminalProgress.h"
#include "CCliLooper.h"
#include "CliCancel.h"
#include "CliCommands.h"
#include "CliSongs.h"
#include "CLooperSongTable.h"
#include "CSongRestore.h"
#include "CUSBPort.h"
#include "ResultCodes.h"
#include "SlotList.h"

#include <cstdio>

namespace {
bool ChosenSlots(const SCliOptions &options, std::vector<uint32_t> &chosenSlots)
{
    QString errorText;
    if (options.slotList.isEmpty() || ParseSlotList(options.slotList, chosenSlots, errorText))
        return true;
    std::fprintf(stderr, "brindle-cli: --slots %s\n", errorText.toUtf8().constData());
    return false;
}

// Replacing songs needs --yes; the refusal lists what would be replaced.
bool RefuseOccupied(const SCliOptions &options, const CLooperSongTable &table, const CSongRestore &restore)
{
    const std::vector<uint32_t> occupied = restore.OccupiedSlots();
    if (occupied.empty() || options.yes)
        return false;
    std::fprintf(stderr, "brindle-cli: these slots hold a song; add --yes to overwrite them:\n");
    for (const uint32_t slot : occupied)
        std::fprintf(stderr, "  %s\n", CliRowText(table, slot).toUtf8().constData());
    return true;
}

// Puts the songs of a backup folder back into their slots, byte for byte, each read back and
// compared; everything is checked before the device is touched.
int RunRestore(const SCliOptions &options)
{
    std::vector<uint32_t> chosenSlots;
    if (options.arguments.size() != 1 || !ChosenSlots(options, chosenSlots)) {
        std::fprintf(stderr, "usage: brindle-cli restore DIR [--slots LIST] [--yes]\n");
        return EXIT_USAGE;
    }
    CCliLooper looper;
    const int status = looper.Open(options);
    if (status != EXIT_OK)
        return status;
    CBackupTerminalProgress progress(options.quiet);
    CLooperSongTable &table = looper.Table();
    CSongRestore restore(table, looper.Port().Identity(), &progress);
    if (!restore.Check(options.arguments[0], chosenSlots)) {
        std::fprintf(stderr, "brindle-cli: %s\n", restore.FailureText().toUtf8().constData());
        return EXIT_FAILED;
    }
    if (RefuseOccupied(options, table, restore))
        return EXIT_FAILED;
    const int32_t result = restore.Run();
    if (result == RESULT_CANCELLED)
        return CancelledExit();
    if (result != RESULT_OK) {
        std::fprintf(stderr, "brindle-cli: %s\n", restore.FailureText().toUtf8().constData());
        return EXIT_FAILED;
    }
    for (const SBackupSong &song : restore.Songs())
        std::printf("%s\n", CliRowText(table, song.slot - 1).toUtf8().constData());
    return EXIT_OK;
}
} // namespace

BRINDLE_CLI_COMMAND("restore", RunRestore);
