#include "CliCancel.h"

#include "CancelRequest.h"
#include "Messages.h"
#include "ResultCodes.h"
#include "SCliOptions.h"

#include <csignal>
#include <cstdio>

namespace {
const int EXIT_SIGNAL_BASE = 128;

void OnSignal(int signal)
{
    RequestCancel(signal);
}
} // namespace

void CatchCancelSignals()
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action = {};
        action.sa_handler = &OnSignal;
        sigemptyset(&action.sa_mask);
        // Blocking reads and waits go on: the work itself notices the request.
        action.sa_flags = SA_RESTART;
        sigaction(signal, &action, nullptr);
    }
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
