#pragma once

// A request to stop long device work, set from a signal handler or the window and checked by the
// song stores between device requests; a device wait watches it too and ends at once. Everything
// the handler touches is async-signal-safe: lock-free atomics and write(2) only.

// Asks the work to stop; `reason` is what asked (a signal number, or 0 for the user). While a
// refusal is in force (see below) the request is refused instead and the refusal text goes to stderr.
void RequestCancel(int reason);
bool CancelRequested();
// Forgets a pending request, before new work starts (the window's next operation).
void ClearCancel();
// The reason of the pending request, or -1 when none is pending.
int CancelReason();

// Work that must not stop half way (a firmware update past its first erase) refuses cancel
// requests until it ends. `text` must outlive the refusal; the terminal shows it on a request.
void RefuseCancel(const char *text);
void AllowCancel();
// The text of the refusal in force, or null when a request would be honoured.
const char *CancelRefusal();

// True when a device wait should end now: a request is pending and no commit holds it off.
bool CancelEndsWait();

// While one lives, the request that commits a record is awaited whatever is asked: a wait cut
// short there would leave the slot changed while the work reports that it stopped before.
// A pending request is honoured once the commit was answered. Only the working thread makes them.
class CCommitGuard {
public:
    CCommitGuard();
    ~CCommitGuard();
    CCommitGuard(const CCommitGuard &) = delete;
    CCommitGuard &operator=(const CCommitGuard &) = delete;
};
