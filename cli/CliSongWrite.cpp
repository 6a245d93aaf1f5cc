#include "CliSongWrite.h"

#include "CLooperSongTable.h"
#include "CTerminalProgress.h"
#include "CancelRequest.h"
#include "CliCancel.h"
#include "CliSongs.h"
#include "Messages.h"
#include "SongVerify.h"

#include <cstdio>

namespace {
// Reads the slot back and compares it with what was sent; a difference fails the write. The song is
// stored whatever stops the read-back, so a stop there is no cancel of the store.
int VerifyWrittenSong(CLooperSongTable &table, uint32_t slot, const uint8_t *bytes, uint32_t length)
{
    const int32_t result = table.ReloadSong(slot);
    QString failureText = ResultText(result);
    if (result == RESULT_OK && VerifySongInSlot(table, slot, bytes, length, failureText))
        return EXIT_OK;
    if (CancelRequested()) {
        std::fprintf(stderr, "brindle-cli: Song %.3u stored, but not verified: the read-back was stopped\n",
                     slot + 1);
        return EXIT_FAILED;
    }
    ShowMessage(failureText);
    return EXIT_FAILED;
}
} // namespace

int StoreCliSong(const SCliOptions &options, CLooperSongTable &table, uint32_t slot, const uint8_t *bytes,
                 uint32_t length)
{
    int32_t result = RESULT_OK;
    {
        CTerminalProgress progress(options.quiet);
        result = table.WriteSong(slot, bytes, length, &progress);
    }
    if (result == RESULT_CANCELLED)
        return CancelledExit();
    if (result == RESULT_STORED_NO_ANSWER)
        return CliStoredWithoutAnswer(slot, "stored");
    if (result == RESULT_OK && options.verify) {
        const int verified = VerifyWrittenSong(table, slot, bytes, length);
        if (verified != EXIT_OK)
            return verified;
    }
    ShowResult(result);
    if (result == RESULT_OK && table.ReloadSong(slot) == RESULT_OK)
        std::printf("%s\n", CliRowText(table, slot).toUtf8().constData());
    return result == RESULT_OK ? EXIT_OK : EXIT_FAILED;
}
