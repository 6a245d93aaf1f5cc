#include "CSimBus.h"

#include "MillisecondClock.h"
#include "UsbWireTime.h"

#include <algorithm>

#ifdef __linux__
#include <sys/prctl.h>
#endif

CSimBus &CSimBus::Instance()
{
    static CSimBus bus;
    return bus;
}

CSimBus::CSimBus()
    : m_nPending(0), m_bUsbWirePace(false), m_nWireNanoseconds(0), m_bStop(false),
      m_thread(&CSimBus::Run, this)
{
}

CSimBus::~CSimBus()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void CSimBus::Attach(std::shared_ptr<CSimDevice> device)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ports.push_back({device->Config().portName, device, true, true, true});
}

void CSimBus::Detach(const std::shared_ptr<CSimDevice> &device)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ports.erase(std::remove_if(m_ports.begin(), m_ports.end(),
                                 [&](const SPort &port) { return port.device == device; }),
                  m_ports.end());
}

void CSimBus::Unplug(const std::shared_ptr<CSimDevice> &device)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (SPort &port : m_ports) {
        if (port.device == device)
            port.plugged = false;
    }
}

void CSimBus::Replug(const std::shared_ptr<CSimDevice> &device)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (SPort &port : m_ports) {
        if (port.device == device)
            port.plugged = true;
    }
}

void CSimBus::AddLonePort(const std::string &name, bool isInput)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ports.push_back({name, nullptr, isInput, !isInput, true});
}

void CSimBus::Clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ports.clear();
    m_nPending -= int(m_jobs.size());
    m_jobs.clear();
}

std::vector<std::shared_ptr<CSimDevice>> CSimBus::Devices() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::shared_ptr<CSimDevice>> devices;
    for (const SPort &port : m_ports) {
        if (port.device)
            devices.push_back(port.device);
    }
    return devices;
}

std::vector<std::string> CSimBus::PortNames(bool inputs) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> names;
    for (const SPort &port : m_ports) {
        if (port.plugged && (inputs ? port.input : port.output))
            names.push_back(port.name);
    }
    return names;
}

bool CSimBus::PortAt(bool inputs, unsigned int index, std::shared_ptr<CSimDevice> &device) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    unsigned int seen = 0;
    for (const SPort &port : m_ports) {
        if (!port.plugged || !(inputs ? port.input : port.output))
            continue;
        if (seen++ == index) {
            device = port.device;
            return true;
        }
    }
    return false;
}

bool CSimBus::Plugged(const std::shared_ptr<CSimDevice> &device) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::any_of(m_ports.begin(), m_ports.end(),
                       [&](const SPort &port) { return port.device == device && port.plugged; });
}

void CSimBus::Send(const std::shared_ptr<CSimDevice> &device, std::vector<unsigned char> wire)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // Counted before the sender returns, so a reader never sees the bus idle ahead of the answer.
        ++m_nPending;
        m_jobs.push_back({device, std::move(wire), std::chrono::steady_clock::now()});
    }
    m_wake.notify_all();
}

void CSimBus::Listen(const CSimDevice *device, CSimListener *listener)
{
    std::lock_guard<std::mutex> lock(m_deliverMutex);
    m_listeners.emplace_back(device, listener);
}

void CSimBus::StopListening(CSimListener *listener)
{
    std::lock_guard<std::mutex> lock(m_deliverMutex);
    m_listeners.erase(std::remove_if(m_listeners.begin(), m_listeners.end(),
                                     [&](const auto &entry) { return entry.second == listener; }),
                      m_listeners.end());
}

void CSimBus::Deliver(const CSimDevice *device, std::vector<SimBytes> &replies)
{
    std::lock_guard<std::mutex> lock(m_deliverMutex);
    for (SimBytes &reply : replies) {
        for (const auto &entry : m_listeners) {
            if (entry.first == device) {
                std::vector<unsigned char> message(reply.begin(), reply.end());
                entry.second->Deliver(message);
            }
        }
    }
}

// The moment a message of wireBytes that starts at start has crossed the link, slept until when
// the wire is paced; start itself otherwise.
std::chrono::steady_clock::time_point CSimBus::CrossWire(std::chrono::steady_clock::time_point start,
                                                         size_t wireBytes)
{
    if (!m_bUsbWirePace)
        return start;
    const std::chrono::nanoseconds duration = UsbFullSpeedTime(wireBytes);
    m_nWireNanoseconds += duration.count();
    SleepPreciselyUntil(start + duration);
    return start + duration;
}

// A timer wakes a thread some tens of microseconds late, which on a paced wire would add up to a
// share of every request: sleep through most of the wait, then watch the clock for the rest (not
// yielding, which could hand the core to another process for a whole time slice).
void CSimBus::SleepPreciselyUntil(std::chrono::steady_clock::time_point until)
{
    std::this_thread::sleep_until(until - TIMER_LATENESS);
    while (std::chrono::steady_clock::now() < until) {
    }
}

void CSimBus::Run()
{
#ifdef __linux__
    // Paced wire times are a few tens of microseconds each: the default 50 us of timer slack would blur them.
    prctl(PR_SET_TIMERSLACK, 1);
#endif
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_bStop || !m_jobs.empty(); });
        if (m_bStop)
            return;
        SJob job = std::move(m_jobs.front());
        m_jobs.pop_front();
        lock.unlock();
        // The device's own work is taken as instant: its reply starts when the request is in.
        std::chrono::steady_clock::time_point replyStart = CrossWire(job.sent, job.wire.size());
        SSimOutcome outcome = job.device->Handle(SimBytes(job.wire.begin(), job.wire.end()));
        if (outcome.delayMs > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(outcome.delayMs));
            replyStart = std::chrono::steady_clock::now();
        }
        if (outcome.removePorts)
            Unplug(job.device);
        size_t replyBytes = 0;
        for (const SimBytes &reply : outcome.replies)
            replyBytes += reply.size();
        CrossWire(replyStart, replyBytes);
        Deliver(job.device.get(), outcome.replies);
        lock.lock();
        --m_nPending;
    }
}

uint64_t SimulatedIdleMilliseconds()
{
    static std::atomic<uint64_t> warp(0);
    if (CSimBus::Instance().Idle())
        ++warp;
    return SteadyMilliseconds() + warp.load();
}
