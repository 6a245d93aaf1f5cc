#include "CliCancel.h"

#include "CancelRequest.h"
#include "Messages.h"
#include "ResultCodes.h"
#include "SCliOptions.h"

#include <cerrno>
#include <csignal>
#include <cstdio>

namespace {
const int EXIT_SIGNAL_BASE = 128;

// The interrupted code may be about to read errno: the handler leaves it as it found it.
void OnSignal(int signal)
{
    const int savedErrno = errno;
    RequestCancel(signal);
    errno = savedErrno;
}
} // namespace

void CatchCancelSignals()
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action = {};
        action.sa_handler = &OnSignal;
        sigemptyset(&action.sa_mask);
        // No SA_RESTART: a call that blocks for ever (an open of a FIFO nobody writes) fails with
        // EINTR instead, and the work sees the request; device waits watch it themselves.
        action.sa_flags = 0;
        sigaction(signal, &action, nullptr);
    }
}

void IgnoreBrokenPipes()
{
    struct sigaction action = {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    sigaction(SIGPIPE, &action, nullptr);
}

int CancelledExit()
{
    std::fprintf(stderr, "Cancelled\n");
    const int reason = CancelReason();
    return EXIT_SIGNAL_BASE + (reason > 0 ? reason : SIGINT);
}

int WorkExit(int32_t result)
{
    if (result == RESULT_CANCELLED)
        return CancelledExit();
    return result == RESULT_OK ? EXIT_OK : EXIT_FAILED;
}

int SavedSongExit(int32_t result, bool saved)
{
    if (result == RESULT_CANCELLED)
        return CancelledExit();
    if (result != RESULT_OK || saved)
        ShowResult(result);
    return result == RESULT_OK && saved ? EXIT_OK : EXIT_FAILED;
}
