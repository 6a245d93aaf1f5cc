#include "CSongBytesSource.h"

#include "DeviceSamples.h"
#include "ResultCodes.h"

#include <algorithm>
#include <utility>

namespace {
// Small enough that each step of the player stays short, large enough that a whole song takes
// few steps.
const uint32_t PIECE_BYTES = 64 * 1024;
} // namespace

CSongBytesSource::CSongBytesSource(std::vector<uint8_t> song, uint32_t sampleRate, uint32_t channels,
                                   uint32_t startByte)
    : m_song(std::move(song)), m_nSampleRate(sampleRate), m_nChannels(channels)
{
    const uint32_t frameBytes = std::max(channels, 1u) * DEVICE_SAMPLE_BYTES;
    m_nStartByte = std::min(startByte, uint32_t(m_song.size())) / frameBytes * frameBytes;
    m_nPosition = m_nStartByte;
}

int32_t CSongBytesSource::ReadNext(std::vector<uint8_t> &bytes)
{
    const uint32_t count = std::min(PIECE_BYTES, uint32_t(m_song.size()) - m_nPosition);
    bytes.insert(bytes.end(), m_song.begin() + m_nPosition, m_song.begin() + m_nPosition + count);
    m_nPosition += count;
    return RESULT_OK;
}
