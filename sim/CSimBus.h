#pragma once

#include "CSimDevice.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Receives the replies of the device whose input port it opened; called on the bus's thread.
class CSimListener {
public:
    virtual ~CSimListener() = default;
    virtual void Deliver(std::vector<unsigned char> &message) = 0;
};

// The process-wide set of simulated loopers and their ports. Each attached device offers one
// input and one output port under its name, in attach order. Requests are handed to devices and
// replies to the listening inputs by a thread of the bus's own, as a MIDI library's input thread
// would deliver them.
class CSimBus {
public:
    static CSimBus &Instance();
    ~CSimBus();

    void Attach(std::shared_ptr<CSimDevice> device);
    void Detach(const std::shared_ptr<CSimDevice> &device);
    // Hot-plug: the device's ports vanish from the lists and come back.
    void Unplug(const std::shared_ptr<CSimDevice> &device);
    void Replug(const std::shared_ptr<CSimDevice> &device);
    // A port with no device behind it, for port-scan cases.
    void AddLonePort(const std::string &name, bool isInput);
    void Clear();
    std::vector<std::shared_ptr<CSimDevice>> Devices() const;
    // No request queued or being handled and no reply pending.
    bool Idle() const { return m_nPending.load() == 0; }
    // Paced: requests reach the devices and replies the inputs only after the time their bytes
    // take on a full-speed USB MIDI link; otherwise at once.
    void SetUsbWirePace(bool paced) { m_bUsbWirePace = paced; }
    // All the wire time charged so far, requests and replies.
    std::chrono::nanoseconds WireTime() const { return std::chrono::nanoseconds(m_nWireNanoseconds.load()); }

    // For the port objects of the simulator backend.
    std::vector<std::string> PortNames(bool inputs) const;
    // False for an index past the list; device is null for a lone port.
    bool PortAt(bool inputs, unsigned int index, std::shared_ptr<CSimDevice> &device) const;
    bool Plugged(const std::shared_ptr<CSimDevice> &device) const;
    void Send(const std::shared_ptr<CSimDevice> &device, std::vector<unsigned char> wire);
    void Listen(const CSimDevice *device, CSimListener *listener);
    // Returns once no delivery to listener is in flight.
    void StopListening(CSimListener *listener);

private:
    struct SPort {
        std::string name;
        std::shared_ptr<CSimDevice> device;
        bool input;
        bool output;
        bool plugged;
    };
    struct SJob {
        std::shared_ptr<CSimDevice> device;
        std::vector<unsigned char> wire;
        // When the program handed it over: its wire time runs from here, not from when the bus took it.
        std::chrono::steady_clock::time_point sent;
    };

    static constexpr std::chrono::microseconds TIMER_LATENESS{100};

    CSimBus();
    void Run();
    static void SleepPreciselyUntil(std::chrono::steady_clock::time_point until);
    void Deliver(const CSimDevice *device, std::vector<SimBytes> &replies);
    std::chrono::steady_clock::time_point CrossWire(std::chrono::steady_clock::time_point start,
                                                    size_t wireBytes);

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<SPort> m_ports;
    std::deque<SJob> m_jobs;
    std::atomic<int> m_nPending;
    std::atomic<bool> m_bUsbWirePace;
    std::atomic<int64_t> m_nWireNanoseconds;
    bool m_bStop;
    std::mutex m_deliverMutex;
    std::vector<std::pair<const CSimDevice *, CSimListener *>> m_listeners;
    std::thread m_thread;
};

// A millisecond clock for tests: while the bus is idle every reading moves it on by 1 ms, so
// silence time-outs of 30 s pass at once when no answer can come; otherwise the real clock.
uint64_t SimulatedIdleMilliseconds();
