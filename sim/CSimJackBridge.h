#pragma once

#include "CSimDevice.h"

#include <RtMidi.h>

#include <memory>
#include <string>

// Offers one simulated looper on real JACK MIDI ports ("looper in" takes requests, "looper out"
// gives replies), so the program can be tested through the real MIDI library and service.
class CSimJackBridge {
public:
    explicit CSimJackBridge(std::shared_ptr<CSimDevice> device);
    // False with the library's text when JACK is not available.
    bool Open(std::string &errorText);

    static const char *InputPortName() { return "looper in"; }
    static const char *OutputPortName() { return "looper out"; }

private:
    static void OnRequest(double timeStamp, std::vector<unsigned char> *message, void *self);

    std::shared_ptr<CSimDevice> m_pDevice;
    // The input's callback sends on the output: the input goes first.
    std::unique_ptr<RtMidiOut> m_pOutput;
    std::unique_ptr<RtMidiIn> m_pInput;
};
