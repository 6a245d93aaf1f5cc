#include "BrindleQT.h"

#include "CMidiBackend.h"

#include <algorithm>
#include <exception>

namespace {

const unsigned int INPUT_QUEUE_LIMIT = 100;
// A port pair carries each index in 16 bits.
const unsigned int PORT_INDEX_LIMIT = 0x10000;
const char *const UPDATE_MODE_MESSAGE =
    "You should enter update mode first! For how to enter update mode, please refer to the manual";

} // namespace

// Tries every input/output pair with equal names in order; the last pair that answers stays connected.
void BrindleQT::DetectDevice()
{
    try {
        const std::shared_ptr<CMidiBackend> pBackend = MidiBackend();
        const std::unique_ptr<CMidiInput> pInput =
            pBackend->CreateInput("RtMidi Input Client", INPUT_QUEUE_LIMIT);
        const std::unique_ptr<CMidiOutput> pOutput = pBackend->CreateOutput("RtMidi Output Client");
        const unsigned int nIn = std::min(pInput->getPortCount(), PORT_INDEX_LIMIT);
        const unsigned int nOut = std::min(pOutput->getPortCount(), PORT_INDEX_LIMIT);
        for (unsigned int i = 0; i < nIn; ++i) {
            const std::string strName = pInput->getPortName(i);
            for (unsigned int j = 0; j < nOut; ++j) {
                if (pOutput->getPortName(j) == strName && TryPortPair(j, i))
                    break;
            }
        }
    } catch (const std::exception &error) {
        ShowMessage(QString::fromUtf8(error.what()));
    }
}

// True when the pair answered, so the scan goes on with the next input port.
bool BrindleQT::TryPortPair(uint32_t nOutput, uint32_t nInput)
{
    if (!m_pUSBPort->Connect((nOutput << 16) | nInput)) {
        ShowMessage(m_pUSBPort->GetLastErrorText());
        return false;
    }
    if (m_pUSBPort->State() == LINK_RAW) {
        m_pUSBPort->Disconnect();
        ShowMessage(QString::fromLatin1(UPDATE_MODE_MESSAGE));
    }
    return true;
}
