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
// a backup, as its newest snapshot; only the songs that changed since the folder's newest snapshot
// are read (all of them with --full). Damaged slots are listed and fail the command once every
// other song is saved.
int RunBackup(const SCliOptions &options)
{
    if (options.arguments.size() != 1) {
        std::fprintf(stderr, "usage: brindle-cli backup DIR [--full]\n");
        return EXIT_USAGE;
    }
    CCliLooper looper;
    const int status = looper.Open(options);
    if (status != EXIT_OK)
        return status;
    CBackupTerminalProgress progress(options.quiet);
    CLooperSongTable &table = looper.Table();
    CSongBackup backup(table, looper.Port().Identity(), &progress, &looper.SongInfo().Names());
    const int32_t result = backup.Run(options.arguments[0], options.full);
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
    std::printf("Snapshot %s: %u read from the looper, %u already in the backup\n",
                backup.Manifest().created.toUtf8().constData(), backup.ReadCount(), backup.KeptCount());
    return backup.Manifest().damaged.empty() ? EXIT_OK : EXIT_FAILED;
}
} // namespace

BRINDLE_CLI_COMMAND("backup", RunBackup);
