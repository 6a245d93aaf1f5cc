#pragma once

#include <cstdint>
#include <vector>

// The songs the demo looper holds, synthesised here so that nothing recorded ships with the
// program: 46875 Hz, 24-bit little-endian mono, as a PULSE RIG stores them.
namespace DemoSongs {
std::vector<uint8_t> DrumLoop();
std::vector<uint8_t> BassLine();
std::vector<uint8_t> ChordPad();
} // namespace DemoSongs
