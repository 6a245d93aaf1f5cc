#include "CStoreRig.h"

#include "CEventBase.h"
#include "CSimBus.h"
#include "CSimulatorBackend.h"
#include "MillisecondClock.h"

#include <chrono>
#include <thread>

namespace {
uint32_t g_nStartBlock = 0;

uint32_t FixedStart()
{
    return g_nStartBlock;
}
} // namespace

void CStoreRig::InstallSimulator()
{
    SetMidiBackend(std::make_shared<CSimulatorBackend>());
    SetMillisecondSource(&SimulatedIdleMilliseconds);
}

CStoreRig::CStoreRig(uint32_t productId) : m_nProductId(productId), m_table(m_port)
{
    SSimDeviceConfig config;
    config.productId = productId;
    m_pDevice = std::make_shared<CSimDevice>(config);
    CSimBus::Instance().Attach(m_pDevice);
    if (!Reconnect())
        qFatal("the simulated looper did not answer");
    m_table.SetRandomSource(&FixedStart);
    StartAllocationAt(0);
}

void CStoreRig::PlugBackIn()
{
    m_port.Disconnect();
    CSimBus::Instance().Clear();
    // A request the old looper is still holding back (a delayed reply) has to end first: the bus
    // hands requests over one at a time, and the new looper's probe would wait behind it.
    for (int waited = 0; waited < 10000 && !CSimBus::Instance().Idle(); ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    SSimDeviceConfig config;
    config.productId = m_nProductId;
    m_pDevice = std::make_shared<CSimDevice>(config, m_pDevice->Flash());
    CSimBus::Instance().Attach(m_pDevice);
    if (!Reconnect())
        qFatal("the simulated looper did not answer after power came back");
}

// The connect probe waits 200 ms of real time: on a machine busy with other work the bus thread
// may not get the processor that soon, which says nothing about the looper.
bool CStoreRig::Reconnect()
{
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (m_port.Connect(0))
            return true;
    }
    return false;
}

CStoreRig::~CStoreRig()
{
    m_port.Disconnect();
    CSimBus::Instance().Clear();
}

void CStoreRig::StartAllocationAt(uint32_t block)
{
    g_nStartBlock = block;
}

Bytes CStoreRig::Page(uint32_t block, uint32_t page, uint32_t length)
{
    return Flash().Read(1, PageAddress(Geometry(), block, page), length);
}

void CStoreRig::PokePage(uint32_t block, uint32_t page, const Bytes &bytes)
{
    Flash().Poke(1, PageAddress(Geometry(), block, page), bytes);
}

std::vector<QPair<uint32_t, uint32_t>> CStoreRig::Reads() const
{
    std::vector<QPair<uint32_t, uint32_t>> reads;
    for (const SSimRequest &request : m_pDevice->Requests()) {
        if (request.command == CMD_READ)
            reads.push_back({request.address, request.count});
    }
    return reads;
}

bool CStoreRig::FlashErased(uint8_t area, uint32_t address) const
{
    for (const SSimFlashOperation &operation : m_pDevice->Flash().Operations()) {
        if (operation.kind == SIM_FLASH_ERASE && operation.area == area && operation.requested == address)
            return true;
    }
    return false;
}

Bytes SongBytes(uint32_t length, uint32_t seed)
{
    Bytes bytes(length);
    for (uint32_t i = 0; i < length; ++i)
        bytes[i] = uint8_t((i * 131 + seed * 17 + i / 251) % 250 + 1);
    return bytes;
}

Bytes Concat(const Bytes &a, const Bytes &b)
{
    Bytes joined = a;
    joined.insert(joined.end(), b.begin(), b.end());
    return joined;
}

Bytes Fill(uint32_t length, uint8_t value)
{
    return Bytes(length, value);
}

void PutLE(Bytes &to, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        to.push_back(uint8_t(value >> (8 * i)));
}

Bytes FileHeaderBytes(uint32_t groups, const std::vector<uint16_t> &blocks)
{
    Bytes header = {'H', 'D', 0xFF};
    PutLE(header, groups, 4);
    for (size_t k = 0; k < 160; ++k)
        PutLE(header, k < blocks.size() ? blocks[k] : 0xFFFF, 2);
    uint32_t sum = 0;
    for (size_t i = 2; i < header.size(); ++i)
        sum += header[i];
    PutLE(header, sum & 0xFFFF, 2);
    return header;
}

Bytes LegacyRecordBytes(uint16_t lastBlock, uint8_t lastPage, uint8_t lastGroup,
                        const std::vector<uint16_t> &blocks)
{
    Bytes record = {'l', 'o', 'o', 'p', 'e', 'r', 0x00, 0xFF, 0x01, 0xFF, 0x00, 0x00};
    PutLE(record, lastBlock, 2);
    record.push_back(lastPage);
    record.push_back(lastGroup);
    for (size_t k = 0; k < 1300; ++k)
        PutLE(record, k < blocks.size() ? blocks[k] : 0xFFFF, 2);
    return Concat(record, {'l', 'o', 'o', 'p', 'e', 'r', 0x00, 0xFF});
}

bool CProgressRecorder::event(QEvent *event)
{
    if (event->type() != CEventBase::EVENT_TYPE)
        return QObject::event(event);
    const auto *progress = static_cast<CEventBase *>(event);
    events.append({progress->pos, progress->total});
    return true;
}
