#include "CancelRequest.h"

#include <atomic>
#include <cstring>

#if defined(_WIN32)
#include <io.h>
#define BRINDLE_WRITE _write
#else
#include <unistd.h>
#define BRINDLE_WRITE write
#endif

namespace {
const int NO_REQUEST = -1;
std::atomic<int> g_reason{NO_REQUEST};
std::atomic<const char *> g_refusal{nullptr};
// Commits in progress on the working thread; never touched by a handler.
std::atomic<int> g_nCommits{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free flag");
static_assert(std::atomic<const char *>::is_always_lock_free, "the signal handler needs a lock-free flag");

void WriteLine(const char *text)
{
    // Nothing useful can be done about a failed write to stderr from a handler.
    if (BRINDLE_WRITE(2, text, static_cast<unsigned>(std::strlen(text))) >= 0)
        (void)BRINDLE_WRITE(2, "\n", 1);
}
} // namespace

void RequestCancel(int reason)
{
    const char *refusal = g_refusal.load();
    if (refusal) {
        WriteLine(refusal);
        return;
    }
    g_reason.store(reason);
}

bool CancelRequested()
{
    return g_reason.load() != NO_REQUEST;
}

void ClearCancel()
{
    g_reason.store(NO_REQUEST);
}

int CancelReason()
{
    return g_reason.load();
}

void RefuseCancel(const char *text)
{
    g_refusal.store(text);
}

void AllowCancel()
{
    g_refusal.store(nullptr);
}

const char *CancelRefusal()
{
    return g_refusal.load();
}

bool CancelEndsWait()
{
    return CancelRequested() && g_nCommits.load() == 0;
}

CCommitGuard::CCommitGuard()
{
    g_nCommits.fetch_add(1);
}

CCommitGuard::~CCommitGuard()
{
    g_nCommits.fetch_sub(1);
}
