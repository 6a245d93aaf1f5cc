#include "COverviewReader.h"

#include "CDebugLogMessages.h"
#include "CLooperSongTable.h"
#include "CUSBPort.h"
#include "ResultCodes.h"

#include <algorithm>

namespace {
const uint32_t SAMPLE_BYTES = 3;

} // namespace

COverviewReader::COverviewReader(const CLooperSongTable &table, uint32_t slot, const SSongIdentity &identity)
    : m_nSlot(slot), m_identity(identity), m_nChannels(std::max(table.Geometry().channels, 1u)),
      m_bWhole(false), m_nNext(0)
{
    const CLooperSongBase *store = table.Store(slot);
    const uint32_t frameBytes = SAMPLE_BYTES * m_nChannels;
    const uint32_t pageBytes = table.Geometry().dataBytesPerPage;
    const uint32_t chunk = CUSBPort::READ_CHUNK / frameBytes * frameBytes;
    if (!store || !identity.IsValid() || pageBytes == 0 || pageBytes % frameBytes != 0)
        return;
    const uint32_t size = store->GetSize();
    uint64_t requests = 0;
    for (uint32_t start = 0; start < size; start += pageBytes)
        requests += (std::min(pageBytes, size - start) + chunk - 1) / chunk;
    m_bWhole = requests <= MAX_REQUESTS;
    if (m_bWhole)
        PlanWholeSong(size, pageBytes, chunk);
    else
        PlanSpreadPieces(size, pageBytes, chunk);
}

void COverviewReader::PlanWholeSong(uint32_t size, uint32_t pageBytes, uint32_t chunk)
{
    for (uint32_t page = 0; uint64_t(page) * pageBytes < size; ++page) {
        const uint32_t inPage = std::min(pageBytes, size - page * pageBytes);
        for (uint32_t offset = 0; offset < inPage; offset += chunk)
            m_plan.push_back({page, offset, std::min(chunk, inPage - offset)});
    }
    m_bytes.reserve(size);
}

// Piece i is read from the middle of the i-th of MAX_REQUESTS equal stretches of the song, within
// the page that holds that middle.
void COverviewReader::PlanSpreadPieces(uint32_t size, uint32_t pageBytes, uint32_t chunk)
{
    const uint32_t frameBytes = SAMPLE_BYTES * m_nChannels;
    for (uint32_t i = 0; i < MAX_REQUESTS; ++i) {
        const uint64_t middle = (2 * uint64_t(i) + 1) * size / (2 * MAX_REQUESTS);
        const uint32_t page = uint32_t(middle / pageBytes);
        const uint32_t inPage = std::min(pageBytes, size - page * pageBytes) / frameBytes * frameBytes;
        const uint32_t length = std::min(chunk, inPage);
        const uint32_t offset =
            std::min(inPage - length, uint32_t(middle % pageBytes) / frameBytes * frameBytes);
        if (length > 0)
            m_plan.push_back({page, offset, length});
    }
    m_peaks.minima.reserve(m_plan.size());
    m_peaks.maxima.reserve(m_plan.size());
}

COverviewReader::EStep COverviewReader::Step(CLooperSongTable &table)
{
    if (m_nNext >= m_plan.size())
        return m_plan.empty() ? STEP_FAILED : STEP_DONE;
    // The table may have been loaded again since the last step: the slot must still hold this song.
    CLooperSongBase *store = table.Store(m_nSlot);
    if (!store || SongIdentityOf(table, m_identity.productId, m_nSlot) != m_identity)
        return STEP_FAILED;
    const SPiece &piece = m_plan[m_nNext];
    std::vector<uint8_t> bytes(piece.length);
    CDebugLogMessages quiet("overview read");
    if (store->ReadSongPage(piece.page, piece.offset, bytes.data(), piece.length) != RESULT_OK)
        return STEP_FAILED;
    if (m_bWhole) {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    } else {
        int16_t low = 0;
        int16_t high = 0;
        PieceRange(bytes.data(), bytes.size(), low, high);
        m_peaks.minima.push_back(low);
        m_peaks.maxima.push_back(high);
    }
    return ++m_nNext < m_plan.size() ? STEP_MORE : STEP_DONE;
}
