#pragma once

#include <cstdint>
#include <vector>

// Where the bytes of a song come from, a piece at a time, on the thread that owns the source: the
// looper while it is read, or bytes the computer already holds. The bytes are the looper's own
// layout: 24-bit little-endian samples, the channels of a frame one after the other.
class CSongSource {
public:
    virtual ~CSongSource() = default;

    virtual uint32_t SampleRate() const = 0;
    virtual uint32_t Channels() const = 0;
    // The whole song's size, and the byte (at a frame) where this source begins.
    virtual uint32_t SongBytes() const = 0;
    virtual uint32_t StartByte() const = 0;
    // Appends the next piece (for the looper: one device request) to bytes. A result code
    // (ResultCodes.h); nothing is appended unless RESULT_OK.
    virtual int32_t ReadNext(std::vector<uint8_t> &bytes) = 0;
    // Every byte from StartByte to the end was handed out.
    virtual bool Done() const = 0;
};
