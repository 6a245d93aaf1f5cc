#include "CLoopbackBackend.h"

namespace {

const char *const PORT_NAME = "Loopback";

class CLoopbackInput : public CMidiInput {
public:
    explicit CLoopbackInput(CLoopbackBackend &backend) : m_backend(backend) {}
    ~CLoopbackInput() override { m_backend.SetInputCallback(nullptr, nullptr); }
    unsigned int getPortCount() override { return 1; }
    std::string getPortName(unsigned int) override { return PORT_NAME; }
    void openPort(unsigned int, const std::string &) override
    {
        m_backend.CheckOpen();
        m_bOpen = true;
    }
    void closePort() override { m_bOpen = false; }
    bool isPortOpen() const override { return m_bOpen; }
    void setCallback(RtMidiIn::RtMidiCallback callback, void *userData) override
    {
        m_backend.SetInputCallback(callback, userData);
    }
    void ignoreTypes(bool, bool, bool) override {}

private:
    CLoopbackBackend &m_backend;
    bool m_bOpen = false;
};

class CLoopbackOutput : public CMidiOutput {
public:
    explicit CLoopbackOutput(CLoopbackBackend &backend) : m_backend(backend) {}
    unsigned int getPortCount() override { return 1; }
    std::string getPortName(unsigned int) override { return PORT_NAME; }
    void openPort(unsigned int, const std::string &) override
    {
        m_backend.CheckOpen();
        m_bOpen = true;
    }
    void closePort() override { m_bOpen = false; }
    bool isPortOpen() const override { return m_bOpen; }
    void sendMessage(const unsigned char *message, size_t size) override { m_backend.Record(message, size); }

private:
    CLoopbackBackend &m_backend;
    bool m_bOpen = false;
};

} // namespace

CLoopbackBackend::CLoopbackBackend() : m_thread(&CLoopbackBackend::Run, this) {}

CLoopbackBackend::~CLoopbackBackend()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

std::unique_ptr<CMidiInput> CLoopbackBackend::CreateInput(const std::string &, unsigned int)
{
    return std::make_unique<CLoopbackInput>(*this);
}

std::unique_ptr<CMidiOutput> CLoopbackBackend::CreateOutput(const std::string &)
{
    return std::make_unique<CLoopbackOutput>(*this);
}

void CLoopbackBackend::SetEcho(bool echo)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bEcho = echo;
}

void CLoopbackBackend::FailNextOpen(const std::string &message)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_strOpenError = message;
}

void CLoopbackBackend::CheckOpen()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_strOpenError.empty())
        return;
    const std::string message = m_strOpenError;
    m_strOpenError.clear();
    throw RtMidiError(message, RtMidiError::DRIVER_ERROR);
}

void CLoopbackBackend::Deliver(std::vector<unsigned char> message)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(std::move(message));
    }
    m_wake.notify_all();
}

void CLoopbackBackend::WaitDelivered()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_drained.wait(lock, [this] { return m_queue.empty() && !m_bBusy; });
}

std::vector<std::vector<unsigned char>> CLoopbackBackend::Sent()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sent;
}

void CLoopbackBackend::SetResponder(Responder responder)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_responder = std::move(responder);
}

bool CLoopbackBackend::Idle()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_queue.empty() && !m_bBusy;
}

void CLoopbackBackend::Record(const unsigned char *message, size_t size)
{
    std::vector<unsigned char> copy(message, message + size);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sent.push_back(copy);
    if (m_bEcho)
        m_queue.push_back(copy);
    if (m_responder) {
        for (auto &reply : m_responder(copy))
            m_queue.push_back(std::move(reply));
    }
    m_wake.notify_all();
}

void CLoopbackBackend::SetInputCallback(RtMidiIn::RtMidiCallback callback, void *userData)
{
    // A callback in flight must finish before its target may go away.
    std::unique_lock<std::mutex> lock(m_mutex);
    m_drained.wait(lock, [this] { return !m_bBusy; });
    m_callback = callback;
    m_pUserData = userData;
}

void CLoopbackBackend::Run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_bStop || !m_queue.empty(); });
        if (m_bStop)
            return;
        std::vector<unsigned char> message = std::move(m_queue.front());
        m_queue.pop_front();
        m_bBusy = true;
        RtMidiIn::RtMidiCallback callback = m_callback;
        void *userData = m_pUserData;
        lock.unlock();
        if (callback)
            callback(0.0, &message, userData);
        lock.lock();
        m_bBusy = false;
        m_drained.notify_all();
    }
}
