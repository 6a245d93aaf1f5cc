#include "CStubMidiBackend.h"

const char *const CStubMidiBackend::COUNT_ERROR = "MidiStub::getPortCount: the MIDI service went away.";

namespace {

void ThrowNoSuchPort()
{
    throw RtMidiError("MidiStub: no such port.", RtMidiError::INVALID_PARAMETER);
}

class CStubInput : public CMidiInput {
public:
    explicit CStubInput(CStubMidiBackend &backend) : m_backend(backend) {}
    unsigned int getPortCount() override { return m_backend.CountPorts(); }
    std::string getPortName(unsigned int) override
    {
        ThrowNoSuchPort();
        return std::string();
    }
    void openPort(unsigned int, const std::string &) override { ThrowNoSuchPort(); }
    void closePort() override {}
    bool isPortOpen() const override { return false; }
    void setCallback(RtMidiIn::RtMidiCallback, void *) override {}
    void ignoreTypes(bool, bool, bool) override {}

private:
    CStubMidiBackend &m_backend;
};

class CStubOutput : public CMidiOutput {
public:
    explicit CStubOutput(CStubMidiBackend &backend) : m_backend(backend) {}
    unsigned int getPortCount() override { return m_backend.CountPorts(); }
    std::string getPortName(unsigned int) override
    {
        ThrowNoSuchPort();
        return std::string();
    }
    void openPort(unsigned int, const std::string &) override { ThrowNoSuchPort(); }
    void closePort() override {}
    bool isPortOpen() const override { return false; }
    void sendMessage(const unsigned char *, size_t) override { ThrowNoSuchPort(); }

private:
    CStubMidiBackend &m_backend;
};

} // namespace

std::unique_ptr<CMidiInput> CStubMidiBackend::CreateInput(const std::string &, unsigned int)
{
    return std::make_unique<CStubInput>(*this);
}

std::unique_ptr<CMidiOutput> CStubMidiBackend::CreateOutput(const std::string &)
{
    return std::make_unique<CStubOutput>(*this);
}

unsigned int CStubMidiBackend::CountPorts()
{
    ++m_nCountQueries;
    if (m_bCountThrows)
        throw RtMidiError(COUNT_ERROR, RtMidiError::DRIVER_ERROR);
    return 0;
}
