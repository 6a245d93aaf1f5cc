#include "CRtMidiBackend.h"

#include <vector>

namespace {

class CRtMidiInput : public CMidiInput {
public:
    explicit CRtMidiInput(std::unique_ptr<RtMidiIn> in) : m_in(std::move(in)) {}
    unsigned int getPortCount() override { return m_in->getPortCount(); }
    std::string getPortName(unsigned int portNumber) override { return m_in->getPortName(portNumber); }
    void openPort(unsigned int portNumber, const std::string &portName) override
    {
        m_in->openPort(portNumber, portName);
    }
    void closePort() override { m_in->closePort(); }
    bool isPortOpen() const override { return m_in->isPortOpen(); }
    void setCallback(RtMidiIn::RtMidiCallback callback, void *userData) override
    {
        m_in->setCallback(callback, userData);
    }
    void ignoreTypes(bool midiSysex, bool midiTime, bool midiSense) override
    {
        m_in->ignoreTypes(midiSysex, midiTime, midiSense);
    }

private:
    std::unique_ptr<RtMidiIn> m_in;
};

class CRtMidiOutput : public CMidiOutput {
public:
    explicit CRtMidiOutput(std::unique_ptr<RtMidiOut> out) : m_out(std::move(out)) {}
    unsigned int getPortCount() override { return m_out->getPortCount(); }
    std::string getPortName(unsigned int portNumber) override { return m_out->getPortName(portNumber); }
    void openPort(unsigned int portNumber, const std::string &portName) override
    {
        m_out->openPort(portNumber, portName);
    }
    void closePort() override { m_out->closePort(); }
    bool isPortOpen() const override { return m_out->isPortOpen(); }
    void sendMessage(const unsigned char *message, size_t size) override
    {
        m_out->sendMessage(message, size);
    }

private:
    std::unique_ptr<RtMidiOut> m_out;
};

} // namespace

CRtMidiBackend::CRtMidiBackend(RtMidi::Api api) : m_requestedApi(api), m_resolvedApi(RtMidi::UNSPECIFIED) {}

std::string CRtMidiBackend::Name() const
{
    const RtMidi::Api api = CurrentApi() != RtMidi::UNSPECIFIED ? CurrentApi() : m_requestedApi;
    return api == RtMidi::UNSPECIFIED ? std::string("default") : RtMidi::getApiName(api);
}

RtMidi::Api CRtMidiBackend::CurrentApi() const
{
    return m_resolvedApi.load();
}

template <class TMidi, class... TArgs> std::unique_ptr<TMidi> CRtMidiBackend::Construct(TArgs &&...args)
{
    const RtMidi::Api resolved = m_resolvedApi.load();
    if (resolved != RtMidi::UNSPECIFIED || m_requestedApi != RtMidi::UNSPECIFIED)
        return std::make_unique<TMidi>(resolved != RtMidi::UNSPECIFIED ? resolved : m_requestedApi, args...);

    std::vector<RtMidi::Api> candidates{RtMidi::UNSPECIFIED};
    std::vector<RtMidi::Api> compiled;
    RtMidi::getCompiledApi(compiled);
    candidates.insert(candidates.end(), compiled.begin(), compiled.end());

    RtMidiError lastError("no MIDI API is compiled into the library", RtMidiError::NO_DEVICES_FOUND);
    for (RtMidi::Api candidate : candidates) {
        try {
            auto midi = std::make_unique<TMidi>(candidate, args...);
            m_resolvedApi.store(midi->getCurrentApi());
            return midi;
        } catch (const RtMidiError &error) {
            lastError = error;
        }
    }
    throw lastError;
}

std::unique_ptr<CMidiInput> CRtMidiBackend::CreateInput(const std::string &clientName,
                                                        unsigned int queueSizeLimit)
{
    auto in = Construct<RtMidiIn>(clientName, queueSizeLimit);
    in->ignoreTypes(false, false, false);
    // WinMM splits SysEx input into 1024-byte buffers by default; one large buffer keeps every
    // reply in one callback. The other APIs deliver whole messages as they are.
    if (in->getCurrentApi() == RtMidi::WINDOWS_MM)
        in->setBufferSize(51200, 1);
    return std::make_unique<CRtMidiInput>(std::move(in));
}

std::unique_ptr<CMidiOutput> CRtMidiBackend::CreateOutput(const std::string &clientName)
{
    return std::make_unique<CRtMidiOutput>(Construct<RtMidiOut>(clientName));
}
