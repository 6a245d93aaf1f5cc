#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The device's side of the SysEx framing, written on its own so that a mistake in the program's
// transport cannot hide itself in the simulator.
using SimBytes = std::vector<uint8_t>;

namespace SimWire {
// Body of a SysEx message (between 0xF0 and 0xF7), 7-bit unpacked.
SimBytes UnpackBody(const SimBytes &wire);
SimBytes RawBody(const SimBytes &wire);
SimBytes PackedMessage(const SimBytes &body);
SimBytes RawMessage(const SimBytes &body);

uint32_t Get24(const SimBytes &bytes, size_t offset);
uint32_t Get32(const SimBytes &bytes, size_t offset);
void Put24(SimBytes &bytes, uint32_t value);
void Put32(SimBytes &bytes, uint32_t value);

// 00 59, command, 24-bit payload length, payload, NOT of the payload's byte sum.
SimBytes Frame(uint8_t command, const SimBytes &payload);
uint8_t PayloadSum(const SimBytes &bytes, size_t offset, size_t length);
} // namespace SimWire
