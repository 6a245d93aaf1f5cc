#include "CMidiLink.h"
#include "FuzzClock.h"
#include "FuzzSupport.h"

#include <vector>

// Input: byte 0 chooses packing and capacity, the rest arrives as MIDI input in messages cut at
// every 0xF7, then everything is received.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static CMidiLink *link = [] {
        SetMillisecondSource(&FuzzMilliseconds);
        SilenceMessages();
        return new CMidiLink;
    }();
    if (size < 1)
        return 0;
    link->Flush();
    link->SetPacking(data[0] & 0x80);
    const uint32_t capacity = (data[0] & 0x40) ? 65536 : 1 + (data[0] & 0x3F);
    std::vector<unsigned char> message;
    for (size_t i = 1; i < size; ++i) {
        message.push_back(data[i]);
        if (data[i] == 0xF7 || i + 1 == size) {
            CMidiLink::OnMidiInput(0.0, &message, link);
            message.clear();
        }
    }
    static std::vector<uint8_t> destination(65536);
    while (link->Receive(destination.data(), capacity, 2) != 0) {
    }
    return 0;
}
