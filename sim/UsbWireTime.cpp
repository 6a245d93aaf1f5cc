#include "UsbWireTime.h"

namespace {
const size_t SYSEX_BYTES_PER_EVENT = 3;
const size_t EVENTS_PER_BULK_PACKET = 64 / 4;
const int64_t BULK_PACKETS_PER_FRAME = 19;
const int64_t FRAME_NANOSECONDS = 1000000;
} // namespace

std::chrono::nanoseconds UsbFullSpeedTime(size_t wireBytes)
{
    const size_t events = (wireBytes + SYSEX_BYTES_PER_EVENT - 1) / SYSEX_BYTES_PER_EVENT;
    const size_t packets = (events + EVENTS_PER_BULK_PACKET - 1) / EVENTS_PER_BULK_PACKET;
    return std::chrono::nanoseconds(int64_t(packets) * FRAME_NANOSECONDS / BULK_PACKETS_PER_FRAME);
}
