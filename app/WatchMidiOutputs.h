#pragma once

#include <atomic>

// The port watcher's thread function: every 200 ms counts the MIDI output ports with an output
// object of its own and sets *pDevChanged when the count differs from the last one seen. Returns
// within one cycle once *pStopRequested is set. Library errors are logged and polling goes on.
void WatchMidiOutputs(std::atomic<bool> *pDevChanged, const std::atomic<bool> *pStopRequested);
