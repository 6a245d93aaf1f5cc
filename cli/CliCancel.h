#pragma once

#include <cstdint>

// SIGINT, SIGTERM and SIGHUP become requests to stop at the next request boundary
// (CancelRequest.h) instead of ending the process wherever it is.
void CatchCancelSignals();
// A write to a pipe whose reader is gone (`brindle-cli update fw.dat 2>&1 | tee log`, then Ctrl-C)
// fails with EPIPE instead of ending the process, half way through a firmware update perhaps.
void IgnoreBrokenPipes();
// Prints "Cancelled" and returns 128 + the signal that asked.
int CancelledExit();
// The exit status of device work that ended with result (already reported unless cancelled).
int WorkExit(int32_t result);
// The exit status of a song read into a file: saved tells whether the file was written completely
// (its writer reported it when it was not).
int SavedSongExit(int32_t result, bool saved);
