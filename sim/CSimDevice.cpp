#include "CSimDevice.h"

#include <csignal>

using namespace SimWire;

namespace {
const uint8_t PROBE = 0x11;
const uint8_t ERASE = 0x21;
const uint8_t WRITE = 0x22;
const uint8_t READ = 0x23;
const uint8_t CHECKSUM = 0x24;
const uint8_t STATUS = 0x00;
const SimBytes RAW_ECHO{0x59, 0x12, 0x00, 0x34};
const char PROBE_TEXT[] = "Brindle simulated looper 1";

SimBytes StatusFrame(uint8_t status)
{
    return Frame(STATUS, {status});
}

// The payload bytes after the area byte and the address: offset 11 onwards.
bool ValidFrame(const SimBytes &body)
{
    if (body.size() < 7 || body[0] != 0x00 || body[1] != 0x59)
        return false;
    const uint32_t length = Get24(body, 3);
    return body.size() == size_t(length) + 7 && body[6 + length] == PayloadSum(body, 6, length);
}

uint32_t PayloadLength(const SimBytes &body)
{
    return Get24(body, 3);
}
} // namespace

CSimDevice::CSimDevice(const SSimDeviceConfig &config) : m_config(config)
{
    if (!m_config.flashFile.empty())
        m_flashFile.Open(m_config.flashFile, m_flash, m_strFlashFileError);
    // Song blocks are erased whole: a block is one erase sector of area 1.
    m_flash.SetEraseSize(1, m_config.productId == 10002 ? 0x40000 : 0x20000);
    WriteIdentity();
}

CSimDevice::CSimDevice(const SSimDeviceConfig &config, const CSimFlash &flash) : CSimDevice(config)
{
    m_flash.CopyFrom(flash);
    WriteIdentity();
}

// A looper nobody closed keeps what it was given: its flash is saved as it goes.
CSimDevice::~CSimDevice()
{
    if (m_flashFile.IsOpen())
        SaveFlash();
}

bool CSimDevice::SaveFlash()
{
    std::string errorText;
    return m_config.flashFile.empty() || m_flashFile.Save(m_flash, errorText);
}

bool CSimDevice::CloseFlashFile(std::string &errorText)
{
    const bool saved = !m_flashFile.IsOpen() || m_flashFile.Save(m_flash, errorText);
    m_flashFile.Close();
    return saved;
}

void CSimDevice::WriteIdentity()
{
    SimBytes identity;
    Put32(identity, m_config.firmwareVersion);
    Put32(identity, m_config.productId);
    Put32(identity, m_config.reservedId);
    Put32(identity, 0);
    m_flash.Poke(0, IDENTITY_ADDRESS, identity);
}

std::vector<SimBytes> CSimDevice::HandleMessage(const SimBytes &wire)
{
    return Handle(wire).replies;
}

SSimOutcome CSimDevice::Handle(const SimBytes &wire)
{
    if (wire.size() < 2 || wire.front() != 0xF0 || wire.back() != 0xF7 || PoweredOff())
        return {};
    if (PowerFailsNow()) {
        CutPower(wire);
        return {};
    }
    switch (m_config.mode) {
    case SIM_MODE_RAW:
        return HandleRaw(RawBody(wire));
    case SIM_MODE_SILENT: {
        const SimBytes body = UnpackBody(wire);
        Log(body.size() > 2 ? body[2] : 0, body, false);
        return {};
    }
    default:
        return HandleFrame(UnpackBody(wire));
    }
}

SSimOutcome CSimDevice::HandleRaw(const SimBytes &body)
{
    Log(0, body, true);
    SimBytes reply;
    if (body == RAW_ECHO) {
        reply = body;
    } else if (body.size() == 4 && body[0] == 0x59 && body[1] >= 0x13 && body[1] <= 0x1E) {
        const uint8_t index = body[1] - 0x13;
        const uint32_t values[3] = {m_config.firmwareVersion, m_config.productId, m_config.reservedId};
        const uint8_t value = uint8_t(values[index / 4] >> (8 * (index % 4)));
        reply = {0x59, body[1], uint8_t(value & 0x0F), uint8_t(value >> 4)};
    } else {
        return {};
    }
    const SSimFault *fault = FaultFor(0);
    if (fault && fault->kind == SIM_FAULT_ERROR_STATUS)
        return {};
    return Finish(reply, fault, false);
}

SSimOutcome CSimDevice::HandleFrame(const SimBytes &body)
{
    const uint8_t command = body.size() > 2 ? body[2] : 0;
    Log(command, body, false);
    if (!ValidFrame(body))
        return Finish(StatusFrame(0x01), nullptr, true);
    const SSimFault *fault = FaultFor(command);
    if (fault && fault->kind == SIM_FAULT_ERROR_STATUS)
        return Finish(StatusFrame(0x01), fault, true);
    const int sumOffset = fault && fault->kind == SIM_FAULT_WRONG_SUM ? 1 : 0;
    return Finish(Answer(body, command, sumOffset), fault, true);
}

SimBytes CSimDevice::Answer(const SimBytes &body, uint8_t command, int sumOffset)
{
    const uint32_t length = PayloadLength(body);
    switch (command) {
    case PROBE:
        if (length != 0)
            break;
        return Frame(PROBE, SimBytes(PROBE_TEXT, PROBE_TEXT + 27));
    case ERASE:
        if (length != 5)
            break;
        m_flash.Erase(body[6], Get32(body, 7));
        return StatusFrame(0x00);
    case WRITE:
        if (length < 8 || Get24(body, 11) > MAX_WRITE || length != Get24(body, 11) + 8)
            break;
        m_flash.Program(body[6], Get32(body, 7), body.data() + 14, Get24(body, 11));
        return StatusFrame(0x00);
    case READ:
        if (length != 8 || Get24(body, 11) > MAX_READ ||
            IdentityRefused(body[6], Get32(body, 7), Get24(body, 11)))
            break;
        return ReadReply(body);
    case CHECKSUM:
        if (length != 9)
            break;
        return ChecksumReply(body, sumOffset);
    default:
        break;
    }
    return StatusFrame(0x01);
}

SimBytes CSimDevice::ReadReply(const SimBytes &body)
{
    SimBytes payload(body.begin() + 6, body.begin() + 14);
    const SimBytes data = m_flash.Read(body[6], Get32(body, 7), Get24(body, 11));
    payload.insert(payload.end(), data.begin(), data.end());
    return Frame(READ, payload);
}

SimBytes CSimDevice::ChecksumReply(const SimBytes &body, int sumOffset)
{
    SimBytes payload(body.begin() + 6, body.begin() + 15);
    const uint16_t sum = uint16_t(m_flash.Sum(body[6], Get32(body, 7), Get32(body, 11)) + sumOffset);
    payload.push_back(uint8_t(sum));
    payload.push_back(uint8_t(sum >> 8));
    return Frame(CHECKSUM, payload);
}

bool CSimDevice::IdentityRefused(uint8_t area, uint32_t address, uint32_t count) const
{
    if (m_config.identityReadable || area != 0)
        return false;
    return uint64_t(address) < IDENTITY_ADDRESS + 16 && uint64_t(address) + count > IDENTITY_ADDRESS;
}

SSimOutcome CSimDevice::Finish(SimBytes reply, const SSimFault *fault, bool packed)
{
    SSimOutcome outcome;
    if (fault) {
        switch (fault->kind) {
        case SIM_FAULT_SILENCE:
            return outcome;
        case SIM_FAULT_REMOVE_PORTS:
            outcome.removePorts = true;
            return outcome;
        case SIM_FAULT_DELAY:
            outcome.delayMs = fault->delayMs;
            break;
        case SIM_FAULT_WRONG_COMMAND:
            reply[packed ? 2 : 1] ^= 0x01;
            break;
        case SIM_FAULT_BAD_CHECKSUM:
            reply.back() ^= 0xFF;
            break;
        case SIM_FAULT_SHORT_REPLY:
            reply.resize(reply.size() / 2);
            break;
        case SIM_FAULT_LONG_LENGTH:
            if (packed) {
                const uint32_t length = Get24(reply, 3) + 16;
                reply[3] = uint8_t(length);
                reply[4] = uint8_t(length >> 8);
                reply[5] = uint8_t(length >> 16);
            }
            break;
        default:
            break;
        }
    }
    outcome.replies.push_back(packed ? PackedMessage(reply) : RawMessage(reply));
    return outcome;
}

// Every matching fault counts the request, also when an earlier one fires on it; the first that
// fires is applied.
const SSimFault *CSimDevice::FaultFor(uint8_t command)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const SSimFault *fired = nullptr;
    for (auto active = m_faults.begin(); active != m_faults.end();) {
        const bool matches = active->fault.command == -1 || active->fault.command == command;
        const bool fires = matches && (++active->seen, active->fault.atRequest == 0 ||
                                                           active->seen == active->fault.atRequest);
        if (fires && !fired) {
            m_firedFault = active->fault;
            fired = &m_firedFault;
        }
        const bool usedUp = (active->fault.atRequest != 0 && active->seen >= active->fault.atRequest) ||
                            (fires && active->fault.once);
        active = usedUp ? m_faults.erase(active) : active + 1;
    }
    return fired;
}

bool CSimDevice::PowerFailsNow()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_nPowerCutIn == 0 || --m_nPowerCutIn > 0)
        return false;
    m_bPoweredOff = true;
    return true;
}

// Only a framed erase or write reaches the flash, and only in part.
void CSimDevice::CutPower(const SimBytes &wire)
{
    const SimBytes body = UnpackBody(wire);
    const uint8_t command = body.size() > 2 ? body[2] : 0;
    Log(command, body, m_config.mode == SIM_MODE_RAW);
    if (m_config.mode != SIM_MODE_NORMAL || !ValidFrame(body))
        return;
    const uint32_t length = PayloadLength(body);
    if (command == ERASE && length == 5)
        m_flash.TornErase(body[6], Get32(body, 7), m_powerCut.seed);
    else if (command == WRITE && length >= 8 && Get24(body, 11) <= MAX_WRITE && length == Get24(body, 11) + 8)
        m_flash.TornProgram(body[6], Get32(body, 7), body.data() + 14, Get24(body, 11), m_powerCut.seed,
                            m_powerCut.tornByte);
}

void CSimDevice::SetPowerCut(const SSimPowerCut &cut)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_nPowerCutIn = cut.atRequest;
    m_powerCut = cut;
}

bool CSimDevice::PoweredOff() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bPoweredOff;
}

void CSimDevice::Log(uint8_t command, const SimBytes &body, bool raw)
{
    SSimRequest request{0, command, 0, 0, 0, raw};
    if (!raw && body.size() >= 11 && command != PROBE) {
        request.area = body[6];
        request.address = Get32(body, 7);
    }
    if (!raw && body.size() >= 14 && (command == WRITE || command == READ))
        request.count = Get24(body, 11);
    if (!raw && body.size() >= 15 && command == CHECKSUM)
        request.count = Get32(body, 11);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        request.number = m_nNextRequest++;
        m_requests.push_back(request);
    }
    if (m_config.signalNumber != 0 && request.number == m_config.signalAtRequest)
        std::raise(m_config.signalNumber);
}

std::vector<SSimRequest> CSimDevice::Requests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

void CSimDevice::ClearRequests()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_requests.clear();
}

void CSimDevice::SetFault(const SSimFault &fault)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faults.push_back({fault, 0});
}

void CSimDevice::ClearFaults()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faults.clear();
}
