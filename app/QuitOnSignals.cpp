#include "QuitOnSignals.h"

#include "BrindleQT.h"

#include <QTimer>

#include <atomic>
#include <csignal>

namespace {
const int NO_SIGNAL = 0;
const int POLL_MS = 100;
std::atomic<int> g_nSignal{NO_SIGNAL};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free flag");

void OnSignal(int nSignal)
{
    g_nSignal.store(nSignal);
}
} // namespace

void QuitOnSignals(BrindleQT &window)
{
    for (const int nSignal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action = {};
        action.sa_handler = &OnSignal;
        sigemptyset(&action.sa_mask);
        sigaction(nSignal, &action, nullptr);
    }
    // The handler may only set a flag; the window is told from its own thread.
    auto *pTimer = new QTimer(&window);
    QObject::connect(pTimer, &QTimer::timeout, &window, [&window] {
        const int nSignal = g_nSignal.exchange(NO_SIGNAL);
        if (nSignal != NO_SIGNAL)
            window.QuitWhenIdle(nSignal);
    });
    pTimer->start(POLL_MS);
}
