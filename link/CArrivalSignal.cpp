#include "CArrivalSignal.h"

uint64_t CArrivalSignal::Count()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nCount;
}

void CArrivalSignal::Notify()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_nCount;
    }
    m_arrived.notify_one();
}

void CArrivalSignal::WaitPast(uint64_t seen, std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_arrived.wait_until(lock, deadline, [&] { return m_nCount != seen; });
}
