#include "MillisecondClock.h"

#include <atomic>
#include <chrono>

namespace {
std::atomic<MillisecondSource> g_source{&SteadyMilliseconds};
}

uint64_t SteadyMilliseconds()
{
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

uint64_t MillisecondsNow()
{
    return g_source.load(std::memory_order_relaxed)();
}

void SetMillisecondSource(MillisecondSource source)
{
    g_source.store(source ? source : &SteadyMilliseconds);
}
