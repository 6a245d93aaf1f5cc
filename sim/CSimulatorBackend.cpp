#include "CSimulatorBackend.h"

#include "CSimBus.h"

#include <iostream>

namespace {

std::string NameAt(bool inputs, unsigned int index)
{
    const std::vector<std::string> names = CSimBus::Instance().PortNames(inputs);
    return index < names.size() ? names[index] : std::string();
}

std::shared_ptr<CSimDevice> OpenAt(bool inputs, unsigned int index)
{
    std::shared_ptr<CSimDevice> device;
    if (!CSimBus::Instance().PortAt(inputs, index, device))
        throw RtMidiError("simulator: no port with index " + std::to_string(index),
                          RtMidiError::INVALID_PARAMETER);
    return device;
}

class CSimInput : public CMidiInput, public CSimListener {
public:
    ~CSimInput() override { closePort(); }
    unsigned int getPortCount() override { return unsigned(CSimBus::Instance().PortNames(true).size()); }
    std::string getPortName(unsigned int index) override { return NameAt(true, index); }
    void openPort(unsigned int index, const std::string &) override
    {
        std::shared_ptr<CSimDevice> device = OpenAt(true, index);
        closePort();
        m_pDevice = device;
        m_bOpen = true;
        CSimBus::Instance().Listen(m_pDevice.get(), this);
    }
    void closePort() override
    {
        if (!m_bOpen)
            return;
        CSimBus::Instance().StopListening(this);
        m_bOpen = false;
        m_pDevice.reset();
    }
    bool isPortOpen() const override { return m_bOpen; }
    void setCallback(RtMidiIn::RtMidiCallback callback, void *userData) override
    {
        // As the library does: the first registration stays, later ones only warn.
        if (m_callback) {
            std::cerr << "simulator: a callback is already set for this input\n";
            return;
        }
        m_pUserData = userData;
        m_callback = callback;
    }
    void ignoreTypes(bool, bool, bool) override {}
    void Deliver(std::vector<unsigned char> &message) override
    {
        if (m_callback)
            m_callback(0.0, &message, m_pUserData);
    }

private:
    std::shared_ptr<CSimDevice> m_pDevice;
    bool m_bOpen = false;
    RtMidiIn::RtMidiCallback m_callback = nullptr;
    void *m_pUserData = nullptr;
};

class CSimOutput : public CMidiOutput {
public:
    unsigned int getPortCount() override { return unsigned(CSimBus::Instance().PortNames(false).size()); }
    std::string getPortName(unsigned int index) override { return NameAt(false, index); }
    void openPort(unsigned int index, const std::string &) override
    {
        m_pDevice = OpenAt(false, index);
        m_bOpen = true;
    }
    void closePort() override
    {
        m_bOpen = false;
        m_pDevice.reset();
    }
    bool isPortOpen() const override { return m_bOpen; }
    void sendMessage(const unsigned char *message, size_t size) override
    {
        if (!m_bOpen)
            throw RtMidiError("simulator: output port is not open", RtMidiError::INVALID_USE);
        if (!m_pDevice)
            return;
        if (!CSimBus::Instance().Plugged(m_pDevice))
            throw RtMidiError("simulator: the device was unplugged", RtMidiError::DRIVER_ERROR);
        CSimBus::Instance().Send(m_pDevice, std::vector<unsigned char>(message, message + size));
    }

private:
    std::shared_ptr<CSimDevice> m_pDevice;
    bool m_bOpen = false;
};

} // namespace

std::unique_ptr<CMidiInput> CSimulatorBackend::CreateInput(const std::string &, unsigned int)
{
    return std::make_unique<CSimInput>();
}

std::unique_ptr<CMidiOutput> CSimulatorBackend::CreateOutput(const std::string &)
{
    return std::make_unique<CSimOutput>();
}
