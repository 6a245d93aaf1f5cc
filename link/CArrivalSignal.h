#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

// Lets the receiver sleep while its ring is empty: the input callback counts every publication,
// a waiter sleeps until the count moves past the one it saw before it last looked at the ring.
// The mutex guards only this count, never the ring's bytes.
class CArrivalSignal {
public:
    uint64_t Count();
    void Notify();
    // Returns at once when the count is already past seen.
    void WaitPast(uint64_t seen, std::chrono::steady_clock::time_point deadline);

private:
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    uint64_t m_nCount = 0;
};
