#include "CBackupSnapshots.h"
#include "CliCommands.h"
#include "SnapshotText.h"

#include <cstdio>

namespace {
// Lists the snapshots of a backup folder, oldest first: the ID to give restore --snapshot (the
// creation time), the model, the songs and what changed since the snapshot before. No device.
int RunBackups(const SCliOptions &options)
{
    if (options.arguments.size() != 1) {
        std::fprintf(stderr, "usage: brindle-cli backups DIR\n");
        return EXIT_USAGE;
    }
    CBackupSnapshots snapshots;
    if (!snapshots.Open(options.arguments[0])) {
        std::fprintf(stderr, "brindle-cli: %s\n", snapshots.FailureText().toUtf8().constData());
        return EXIT_FAILED;
    }
    const std::vector<SBackupManifest> &all = snapshots.All();
    for (size_t k = 0; k < all.size(); ++k)
        std::printf("%s\n", SnapshotLine(all[k], k ? &all[k - 1] : nullptr).toUtf8().constData());
    return EXIT_OK;
}
} // namespace

BRINDLE_CLI_COMMAND("backups", RunBackups);
