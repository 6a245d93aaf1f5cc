#include "CSimJackBridge.h"

CSimJackBridge::CSimJackBridge(std::shared_ptr<CSimDevice> device) : m_pDevice(std::move(device)) {}

bool CSimJackBridge::Open(std::string &errorText)
{
    try {
        m_pOutput.reset(new RtMidiOut(RtMidi::UNIX_JACK, "BrindleSimReplies"));
        m_pOutput->openVirtualPort(OutputPortName());
        m_pInput.reset(new RtMidiIn(RtMidi::UNIX_JACK, "BrindleSimRequests"));
        m_pInput->ignoreTypes(false, false, false);
        m_pInput->setCallback(&CSimJackBridge::OnRequest, this);
        m_pInput->openVirtualPort(InputPortName());
        return true;
    } catch (const RtMidiError &error) {
        errorText = error.getMessage();
        return false;
    }
}

void CSimJackBridge::OnRequest(double, std::vector<unsigned char> *message, void *self)
{
    auto *bridge = static_cast<CSimJackBridge *>(self);
    for (const SimBytes &reply :
         bridge->m_pDevice->HandleMessage(SimBytes(message->begin(), message->end()))) {
        std::vector<unsigned char> wire(reply.begin(), reply.end());
        try {
            bridge->m_pOutput->sendMessage(&wire);
        } catch (const RtMidiError &) {
            // A reply that cannot be sent is a silent device to the program, which times out.
        }
    }
}
