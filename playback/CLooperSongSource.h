#pragma once

#include "CSongSource.h"

#include <cstdint>

class CLooperSongBase;
class CLooperSongTable;
class CUSBPort;

// The song of a slot, read out of the looper one request at a time in the order its bytes run (the
// pages of CLooperSongBase::Read). A slot that is damaged or holds no song gives an empty song.
class CLooperSongSource : public CSongSource {
public:
    // startByte is rounded down to a frame.
    CLooperSongSource(CUSBPort &port, const CLooperSongTable &table, uint32_t slot, uint32_t startByte);

    uint32_t SampleRate() const override { return m_nSampleRate; }
    uint32_t Channels() const override { return m_nChannels; }
    uint32_t SongBytes() const override { return m_nSongBytes; }
    uint32_t StartByte() const override { return m_nStartByte; }
    int32_t ReadNext(std::vector<uint8_t> &bytes) override;
    bool Done() const override { return m_nPosition >= m_nSongBytes; }

private:
    CUSBPort &m_port;
    const CLooperSongBase *m_pStore = nullptr;
    uint32_t m_nPageBytes = 0;
    uint32_t m_nSampleRate = 0;
    uint32_t m_nChannels = 0;
    uint32_t m_nSongBytes = 0;
    uint32_t m_nStartByte = 0;
    uint32_t m_nPosition = 0;
};
