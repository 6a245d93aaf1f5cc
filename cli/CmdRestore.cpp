#include "CBackupTerminalProgress.h"
#include "CCliLooper.h"
#include "CliCancel.h"
#include "CliCommands.h"
#include "CliQuestion.h"
#include "CliSongs.h"
#include "CLooperSongTable.h"
#include "CSongRestore.h"
#include "CUSBPort.h"
#include "ResultCodes.h"
#include "SlotList.h"

#include <cstdio>

namespace {
bool UsageRight(const SCliOptions &options)
{
    if (options.slotListGiven && options.slotList.trimmed().isEmpty())
        std::fprintf(stderr, "brindle-cli: --slots needs a list of slots such as 1,3-5\n");
    else if (options.arguments.size() == 1)
        return true;
    std::fprintf(stderr,
                 "usage: brindle-cli restore DIR [--snapshot ID] [--slots LIST] [--missing] [--yes]\n");
    return false;
}

bool ChosenSlots(const SCliOptions &options, uint32_t slotCount, std::vector<uint32_t> &chosenSlots)
{
    QString errorText;
    if (!options.slotListGiven || ParseSlotList(options.slotList, slotCount, chosenSlots, errorText))
        return true;
    std::fprintf(stderr, "brindle-cli: --slots: %s\n", errorText.toUtf8().constData());
    return false;
}

// Replacing songs needs --yes, or a yes on the terminal; both list what would be replaced.
int ConsentToReplace(const SCliOptions &options, const CLooperSongTable &table, const CSongRestore &restore)
{
    const std::vector<uint32_t> occupied = restore.OccupiedSlots();
    if (occupied.empty() || options.yes)
        return EXIT_OK;
    const bool ask = CliOnTerminal();
    std::fprintf(stderr, ask ? "These slots hold a song; restoring replaces it:\n"
                             : "brindle-cli: these slots hold a song; add --yes to overwrite them:\n");
    for (const uint32_t slot : occupied)
        std::fprintf(stderr, "  %s\n", CliRowText(table, slot).toUtf8().constData());
    if (!ask)
        return EXIT_FAILED;
    const ETerminalAnswer answer = AskOnTerminal("Overwrite them? [y/N] ");
    if (answer == ANSWER_CANCELLED)
        return CancelledExit();
    if (answer == ANSWER_YES)
        return EXIT_OK;
    std::fprintf(stderr, "brindle-cli: nothing was written\n");
    return EXIT_FAILED;
}

int NothingToRestore(const SCliOptions &options)
{
    std::fprintf(stderr, options.missing ? "brindle-cli: every slot the backup holds a song for holds one on "
                                           "the looper; nothing to restore\n"
                                         : "brindle-cli: the backup holds no songs; nothing to restore\n");
    return EXIT_OK;
}

// One row per restored song, also when the restore stopped after some of them.
int RestoreEnd(const CLooperSongTable &table, const CSongRestore &restore, int32_t result)
{
    for (uint32_t k = 0; k < restore.RestoredCount(); ++k)
        std::printf("%s\n", CliRowText(table, restore.Songs()[k].slot).toUtf8().constData());
    if (result == RESULT_CANCELLED)
        return CancelledExit();
    if (result == RESULT_OK)
        return EXIT_OK;
    std::fprintf(stderr, "brindle-cli: %s\n", restore.FailureText().toUtf8().constData());
    return EXIT_FAILED;
}

// Puts the songs of a backup folder's newest snapshot, or of the one --snapshot names, back into
// their slots, byte for byte, each read back and compared, with their names; everything is checked
// before the device is touched.
int RunRestore(const SCliOptions &options)
{
    if (!UsageRight(options))
        return EXIT_USAGE;
    CCliLooper looper;
    const int status = looper.Open(options);
    if (status != EXIT_OK)
        return status;
    CLooperSongTable &table = looper.Table();
    std::vector<uint32_t> chosenSlots;
    if (!ChosenSlots(options, table.StoreCount(), chosenSlots))
        return EXIT_USAGE;
    CBackupTerminalProgress progress(options.quiet);
    CSongRestore restore(table, looper.Port().Identity(), &progress, &looper.SongInfo().Names());
    if (!restore.Check(options.arguments[0], options.snapshot, chosenSlots, options.missing)) {
        std::fprintf(stderr, "brindle-cli: %s\n", restore.FailureText().toUtf8().constData());
        return EXIT_FAILED;
    }
    if (restore.Songs().empty())
        return NothingToRestore(options);
    const int consent = ConsentToReplace(options, table, restore);
    if (consent != EXIT_OK)
        return consent;
    const int32_t result = restore.Run();
    progress.End();
    return RestoreEnd(table, restore, result);
}
} // namespace

BRINDLE_CLI_COMMAND("restore", RunRestore);
