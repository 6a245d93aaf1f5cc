#include "CLoopbackBackend.h"
#include "CUSBPort.h"
#include "FuzzClock.h"
#include "FuzzSupport.h"

#include <mutex>

namespace {
// Hands out the fuzz input as replies: each request takes the next piece, cut at 0xF7.
class CReplySource {
public:
    void Reset(const uint8_t *data, size_t size)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bytes.assign(data, data + size);
        m_nNext = 0;
    }
    std::vector<std::vector<unsigned char>> Next()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<unsigned char> reply;
        while (m_nNext < m_bytes.size()) {
            reply.push_back(m_bytes[m_nNext++]);
            if (reply.back() == 0xF7)
                break;
        }
        if (reply.empty())
            return {};
        return {reply};
    }

private:
    std::mutex m_mutex;
    std::vector<unsigned char> m_bytes;
    size_t m_nNext = 0;
};

CReplySource g_replies;

struct SFixture {
    SFixture() : backend(std::make_shared<CLoopbackBackend>())
    {
        StartFuzzApplication();
        SilenceMessages();
        SetMillisecondSource(&FuzzMilliseconds);
        backend->SetResponder([](const std::vector<unsigned char> &) { return g_replies.Next(); });
        SetMidiBackend(backend);
    }
    std::shared_ptr<CLoopbackBackend> backend;
    CUSBPort port;
};
} // namespace

// Every exchange of the device port meets replies made of the fuzz bytes: connection (probe,
// identity read, or raw echo and register reads), erase, verified write, read.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static SFixture *fixture = new SFixture;
    g_replies.Reset(data, size);
    CUSBPort &port = fixture->port;
    port.Connect(0);
    fixture->backend->WaitDelivered();
    if (port.State() == LINK_RAW) {
        port.CheckAlive();
        return 0;
    }
    static uint8_t buffer[6000];
    port.EraseSector(1, 0x1000);
    port.WriteVerify(1, 0x1000, buffer, 5200, nullptr);
    port.ReadData(1, 0x1000, buffer, 2100);
    port.CheckAlive();
    fixture->backend->WaitDelivered();
    return 0;
}
