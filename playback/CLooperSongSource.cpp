#include "CLooperSongSource.h"

#include "CLooperSongTable.h"
#include "CUSBPort.h"
#include "CancelRequest.h"
#include "DeviceSamples.h"
#include "ResultCodes.h"

#include <algorithm>

CLooperSongSource::CLooperSongSource(CUSBPort &port, const CLooperSongTable &table, uint32_t slot,
                                     uint32_t startByte)
    : m_port(port)
{
    const CLooperSongBase *store = table.Store(slot);
    const FlashGeometry &geometry = table.Geometry();
    if (!store || table.SlotLoadResult(slot) != RESULT_OK || !store->HasSong() || geometry.channels == 0)
        return;
    m_pStore = store;
    m_nPageBytes = geometry.dataBytesPerPage;
    m_nSampleRate = geometry.sampleRate;
    m_nChannels = geometry.channels;
    m_nSongBytes = store->GetSize();
    const uint32_t frameBytes = m_nChannels * DEVICE_SAMPLE_BYTES;
    m_nStartByte = std::min(startByte, m_nSongBytes) / frameBytes * frameBytes;
    m_nPosition = m_nStartByte;
}

int32_t CLooperSongSource::ReadNext(std::vector<uint8_t> &bytes)
{
    if (Done())
        return RESULT_OK;
    const uint32_t page = m_nPosition / m_nPageBytes;
    const uint32_t offset = m_nPosition % m_nPageBytes;
    const uint32_t count =
        std::min({CUSBPort::READ_CHUNK, m_nPageBytes - offset, m_nSongBytes - m_nPosition});
    const size_t end = bytes.size();
    bytes.resize(end + count);
    if (!m_port.ReadData(CLooperSongBase::SONG_AREA, m_pStore->SongPageAddress(page) + offset,
                         bytes.data() + end, count)) {
        bytes.resize(end);
        // A stop ends the device's wait at once: that read did not fail, it was not waited for.
        return CancelRequested() ? RESULT_CANCELLED : RESULT_READ_FAILED;
    }
    m_nPosition += count;
    return RESULT_OK;
}
