#include "CSampleRing.h"

#include <algorithm>
#include <cstring>

namespace {
size_t PowerOfTwoAtLeast(size_t count)
{
    size_t size = 1;
    while (size < count)
        size <<= 1;
    return size;
}
} // namespace

CSampleRing::CSampleRing(size_t capacity)
    : m_samples(PowerOfTwoAtLeast(capacity)), m_nMask(m_samples.size() - 1)
{
}

size_t CSampleRing::Room() const
{
    return m_samples.size() - Available();
}

size_t CSampleRing::Available() const
{
    return m_nWritten.load(std::memory_order_acquire) - m_nRead.load(std::memory_order_acquire);
}

size_t CSampleRing::Write(const float *samples, size_t count)
{
    const size_t written = m_nWritten.load(std::memory_order_relaxed);
    count = std::min(count, Room());
    const size_t start = written & m_nMask;
    const size_t first = std::min(count, m_samples.size() - start);
    std::memcpy(m_samples.data() + start, samples, first * sizeof(float));
    std::memcpy(m_samples.data(), samples + first, (count - first) * sizeof(float));
    m_nWritten.store(written + count, std::memory_order_release);
    return count;
}

size_t CSampleRing::Read(float *samples, size_t count)
{
    const size_t read = m_nRead.load(std::memory_order_relaxed);
    count = std::min(count, Available());
    const size_t start = read & m_nMask;
    const size_t first = std::min(count, m_samples.size() - start);
    std::memcpy(samples, m_samples.data() + start, first * sizeof(float));
    std::memcpy(samples + first, m_samples.data(), (count - first) * sizeof(float));
    m_nRead.store(read + count, std::memory_order_release);
    return count;
}
