#pragma once

#include "CSongSource.h"

#include <cstdint>
#include <vector>

// A song the computer already holds whole (kept from an earlier read), handed out in pieces as the
// looper's would be, so that playing it needs no device traffic.
class CSongBytesSource : public CSongSource {
public:
    // startByte is rounded down to a frame.
    CSongBytesSource(std::vector<uint8_t> song, uint32_t sampleRate, uint32_t channels, uint32_t startByte);

    uint32_t SampleRate() const override { return m_nSampleRate; }
    uint32_t Channels() const override { return m_nChannels; }
    uint32_t SongBytes() const override { return uint32_t(m_song.size()); }
    uint32_t StartByte() const override { return m_nStartByte; }
    int32_t ReadNext(std::vector<uint8_t> &bytes) override;
    bool Done() const override { return m_nPosition >= m_song.size(); }

private:
    std::vector<uint8_t> m_song;
    uint32_t m_nSampleRate;
    uint32_t m_nChannels;
    uint32_t m_nStartByte;
    uint32_t m_nPosition;
};
