#pragma once

#include <cstdint>

// The sample bytes of a clip: frameCount frames of frameBytes bytes, owned.
class CWaveBuffer {
public:
    CWaveBuffer() = default;
    virtual ~CWaveBuffer() { delete[] data; }
    CWaveBuffer(const CWaveBuffer &) = delete;
    CWaveBuffer &operator=(const CWaveBuffer &) = delete;

    // Frees the previous array and takes ownership of the new one.
    void Attach(uint8_t *array, uint32_t frames, uint32_t bytesPerFrame)
    {
        delete[] data;
        data = array;
        frameCount = frames;
        frameBytes = bytesPerFrame;
    }

    uint32_t frameBytes = 0;
    uint8_t *data = nullptr;
    uint32_t frameCount = 0;
};
