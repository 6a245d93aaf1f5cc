#pragma once

#include "MillisecondClock.h"

#include <atomic>

// Every reading of the receive clock moves it on by a millisecond, so a silence time-out costs
// as many loop turns as it has milliseconds and a fuzz run never waits in real time.
inline uint64_t FuzzMilliseconds()
{
    static std::atomic<uint64_t> now(0);
    return ++now;
}
