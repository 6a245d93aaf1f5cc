#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

// Samples handed from one thread to one other without locks: the thread that converts the song
// writes, the audio output's callback reads. Neither side ever waits or allocates.
class CSampleRing {
public:
    // Room for at least `capacity` samples.
    explicit CSampleRing(size_t capacity);
    CSampleRing(const CSampleRing &) = delete;
    CSampleRing &operator=(const CSampleRing &) = delete;

    // Writer side: copies up to count samples in; returns how many fitted.
    size_t Write(const float *samples, size_t count);
    size_t Room() const;
    // Reader side: copies up to count samples out; returns how many there were.
    size_t Read(float *samples, size_t count);
    // Either side.
    size_t Available() const;

private:
    std::vector<float> m_samples;
    const size_t m_nMask;
    // Running counts of samples written and read; their difference is what the ring holds.
    std::atomic<size_t> m_nWritten{0};
    std::atomic<size_t> m_nRead{0};
};
