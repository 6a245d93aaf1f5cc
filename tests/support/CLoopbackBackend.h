#pragma once

#include "CMidiBackend.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A MIDI backend with one port pair ("Loopback") that records every message sent and plays
// queued replies back to the input callback from a thread of its own, as a MIDI library does.
// For transport tests that must not depend on any device behaviour.
class CLoopbackBackend : public CMidiBackend {
public:
    CLoopbackBackend();
    ~CLoopbackBackend() override;

    std::string Name() const override { return "loopback"; }
    std::unique_ptr<CMidiInput> CreateInput(const std::string &clientName,
                                            unsigned int queueSizeLimit) override;
    std::unique_ptr<CMidiOutput> CreateOutput(const std::string &clientName) override;

    // When set, every message sent comes straight back to the input.
    void SetEcho(bool echo);
    // Delivers bytes to the open input from the delivery thread.
    void Deliver(std::vector<unsigned char> message);
    // Blocks until every queued message was handed to the callback.
    void WaitDelivered();
    std::vector<std::vector<unsigned char>> Sent();
    void FailNextOpen(const std::string &message);
    // Answers every message sent with the replies the function returns (a scripted device).
    using Responder =
        std::function<std::vector<std::vector<unsigned char>>(const std::vector<unsigned char> &)>;
    void SetResponder(Responder responder);
    // True when nothing is queued for delivery or being delivered.
    bool Idle();

    // Internal, used by the port objects.
    void Record(const unsigned char *message, size_t size);
    void SetInputCallback(RtMidiIn::RtMidiCallback callback, void *userData);
    void CheckOpen();

private:
    void Run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_drained;
    std::deque<std::vector<unsigned char>> m_queue;
    std::vector<std::vector<unsigned char>> m_sent;
    RtMidiIn::RtMidiCallback m_callback = nullptr;
    void *m_pUserData = nullptr;
    bool m_bEcho = false;
    bool m_bBusy = false;
    bool m_bStop = false;
    std::string m_strOpenError;
    Responder m_responder;
    std::thread m_thread;
};
