#pragma once

#include <cstdint>

// The millisecond clock that receive time-outs are counted on. Tests that drive a simulated
// device may install a source that runs fast while the device has nothing left to say.
using MillisecondSource = uint64_t (*)();

uint64_t MillisecondsNow();
// Null restores the steady system clock.
void SetMillisecondSource(MillisecondSource source);
uint64_t SteadyMilliseconds();
