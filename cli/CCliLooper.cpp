#include "CCliLooper.h"

#include "CancelRequest.h"
#include "CliCancel.h"
#include "CliDevice.h"
#include "CliSongs.h"
#include "Messages.h"

#include <cstdio>

// A stop cuts the search's waits short: the looper is not missing, the command was cancelled.
int CCliLooper::Connect(const SCliOptions &options)
{
    CatchCancelSignals();
    const int status = ConnectCliDevice(options, m_port);
    return CancelRequested() ? CancelledExit() : status;
}

int CCliLooper::Open(const SCliOptions &options)
{
    const int status = Connect(options);
    if (status != EXIT_OK)
        return status;
    // A damaged slot leaves the others usable; each command decides what it means for its work.
    const int32_t result = m_table.LoadEachSong();
    if (CancelRequested())
        return CancelledExit();
    if (result == RESULT_OK || m_table.HasDamagedSlot())
        return EXIT_OK;
    ShowMessage(QStringLiteral("Load song info failed !"));
    ShowResult(result);
    return EXIT_FAILED;
}

int CCliLooper::OpenSlot(const SCliOptions &options, const QString &text, uint32_t &slot)
{
    const int status = Open(options);
    if (status != EXIT_OK)
        return status;
    return ParseCliSlot(text, m_table, slot) ? EXIT_OK : EXIT_USAGE;
}

int CCliLooper::OpenSongSlot(const SCliOptions &options, const QString &text, uint32_t &slot)
{
    const int status = OpenSlot(options, text, slot);
    if (status != EXIT_OK)
        return status;
    return CliSlotHasSong(m_table, slot) ? EXIT_OK : EXIT_FAILED;
}

int CCliLooper::OpenSlotForWrite(const SCliOptions &options, const QString &text, uint32_t &slot)
{
    const int status = OpenSlot(options, text, slot);
    if (status != EXIT_OK)
        return status;
    if (CliRefuseWhileDamaged(m_table))
        return EXIT_FAILED;
    if (m_table.Store(slot)->HasSong() && !options.yes) {
        std::fprintf(stderr, "brindle-cli: '%s' already exist; add --yes to overwrite it\n",
                     CliRowText(m_table, slot).toUtf8().constData());
        return EXIT_USAGE;
    }
    return EXIT_OK;
}
