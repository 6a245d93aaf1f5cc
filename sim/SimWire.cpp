#include "SimWire.h"

namespace SimWire {

SimBytes UnpackBody(const SimBytes &wire)
{
    SimBytes body;
    uint32_t bits = 0;
    uint32_t pending = 0;
    for (size_t i = 1; i + 1 < wire.size(); ++i) {
        bits |= uint32_t(wire[i] & 0x7F) << pending;
        pending += 7;
        if (pending >= 8) {
            body.push_back(uint8_t(bits));
            bits >>= 8;
            pending -= 8;
        }
    }
    return body;
}

SimBytes RawBody(const SimBytes &wire)
{
    if (wire.size() < 2)
        return {};
    return SimBytes(wire.begin() + 1, wire.end() - 1);
}

SimBytes PackedMessage(const SimBytes &body)
{
    SimBytes wire{0xF0};
    uint32_t bits = 0;
    uint32_t pending = 0;
    for (uint8_t byte : body) {
        bits |= uint32_t(byte) << pending;
        pending += 8;
        while (pending >= 7) {
            wire.push_back(uint8_t(bits & 0x7F));
            bits >>= 7;
            pending -= 7;
        }
    }
    if (pending > 0)
        wire.push_back(uint8_t(bits & 0x7F));
    wire.push_back(0xF7);
    return wire;
}

SimBytes RawMessage(const SimBytes &body)
{
    SimBytes wire{0xF0};
    wire.insert(wire.end(), body.begin(), body.end());
    wire.push_back(0xF7);
    return wire;
}

uint32_t Get24(const SimBytes &bytes, size_t offset)
{
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16;
}

uint32_t Get32(const SimBytes &bytes, size_t offset)
{
    return Get24(bytes, offset) | uint32_t(bytes[offset + 3]) << 24;
}

void Put24(SimBytes &bytes, uint32_t value)
{
    for (int i = 0; i < 3; ++i)
        bytes.push_back(uint8_t(value >> (8 * i)));
}

void Put32(SimBytes &bytes, uint32_t value)
{
    Put24(bytes, value);
    bytes.push_back(uint8_t(value >> 24));
}

uint8_t PayloadSum(const SimBytes &bytes, size_t offset, size_t length)
{
    uint8_t sum = 0;
    for (size_t i = 0; i < length; ++i)
        sum = uint8_t(sum + bytes[offset + i]);
    return uint8_t(~sum);
}

SimBytes Frame(uint8_t command, const SimBytes &payload)
{
    SimBytes frame{0x00, 0x59, command};
    Put24(frame, uint32_t(payload.size()));
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(PayloadSum(payload, 0, payload.size()));
    return frame;
}

} // namespace SimWire
