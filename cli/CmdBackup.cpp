#include "CBackupTerminalProgress.h"
#include "CCliLooper.h"
#include "CliCancel.h"
#include "CliCommands.h"
#include "CliSongs.h"
#include "CLooperSongTable.h"
#include "CSongBackup.h"
#include "CUSBPort.h"
#include "ResultCodes.h"

#include <cstdio>

namespace {
// Copies every song, exactly as the device stores it, into a new or empty folder or one that holds
// a backup; damaged slots are listed and fail the command once every other song is saved.
int RunBackup(const SCliOptions &options)
{
    if (options.arguments.size() != 1) {
        std::fprintf(stderr, "usage: brindle-cli backup DIR\n");
        return EXIT_USAGE;
    }
    CCliLooper looper;
    const int status = looper.Open(options);
    if (status != EXIT_OK)
        return status;
    CBackupTerminalProgress progress(options.quiet);
    CLooperSongTable &table = looper.Table();
    CSongBackup backup(table, looper.Port().Identity(), &progress);
    const int32_t result = backup.Run(options.arguments[0]);
    progress.End();
    if (result == RESULT_CANCELLED)
        return CancelledExit();
    if (result != RESULT_OK) {
        std::fprintf(stderr, "brindle-cli: %s\n", backup.FailureText().toUtf8().constData());
        return EXIT_FAILED;
    }
    for (const SBackupSong &song : backup.Manifest().songs)
        std::printf("%s\n", song.file.toUtf8().constData());
    for (const SBackupDamage &damage : backup.Manifest().damaged)
        std::printf("%s\n", CliRowText(table, damage.slot).toUtf8().constData());
    return backup.Manifest().damaged.empty() ? EXIT_OK : EXIT_FAILED;
}
} // namespace

BRINDLE_CLI_COMMAND("backup", RunBackup);
