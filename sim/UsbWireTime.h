#pragma once

#include <chrono>
#include <cstddef>

// How long one SysEx message takes on a full-speed USB MIDI 1.0 link: 3 SysEx bytes per 4-byte
// event packet, 16 event packets per 64-byte bulk packet, at most 19 bulk packets per 1 ms frame.
// The message is counted as it goes on the wire (0xF0, the 7-bit packed body, 0xF7).
std::chrono::nanoseconds UsbFullSpeedTime(size_t wireBytes);
