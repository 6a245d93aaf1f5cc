#include "CUSBPort.h"

#include "ByteOrder.h"
#include "CEventBase.h"
#include "Messages.h"

#include <QDebug>

#include <algorithm>
#include <cstring>

namespace {

const uint32_t PROBE_REPLY_SIZE = 34;
const uint32_t CHECKSUM_REPLY_SIZE = 18;
const uint32_t READ_REPLY_OVERHEAD = 15;
const uint32_t RAW_SIZE = 4;
const uint8_t RAW_ECHO[RAW_SIZE] = {0x59, 0x12, 0x00, 0x34};
const uint8_t RAW_READ_REGISTER = 0x59;

const uint32_t CONNECT_PROBE_TIMEOUT = 200;
const uint32_t ALIVE_TIMEOUT = 50;
const uint32_t CONNECT_ECHO_TIMEOUT = 100;
const uint32_t REGISTER_TIMEOUT = 1000;
const uint32_t ERASE_TIMEOUT = 30000;
const uint32_t WRITE_TIMEOUT = 50000;
const uint32_t CHECKSUM_TIMEOUT = 30000;
const uint32_t READ_TIMEOUT = 5000;

const uint8_t IDENTITY_AREA = 0;
const uint32_t IDENTITY_ADDRESS = 0x2180;
const uint32_t IDENTITY_SIZE = 16;
const uint8_t FIRMWARE_VERSION_REGISTER = 0x13;
const uint8_t PRODUCT_ID_REGISTER = 0x17;
const uint8_t RESERVED_ID_REGISTER = 0x1B;

const char *const CHECKSUM_MESSAGE = "Checksum错误,算出来是%.2X, 包内校验是%.2X";
const char *const STATUS_LENGTH_MESSAGE = "读取回复码长度错误,需要%d字节,收到%d字节";
const char *const DATA_LENGTH_MESSAGE = "Data length error,need %d bytes,got %d bytes";

// area u8 + address u32, the start of every flash request's payload.
uint32_t PutAreaAddress(uint8_t *payload, uint8_t area, uint32_t address)
{
    payload[0] = area;
    PutLE32(payload + 1, address);
    return 5;
}

} // namespace

uint8_t FrameChecksum(const uint8_t *payload, uint32_t length)
{
    uint32_t sum = 0;
    for (uint32_t i = 0; i < length; ++i)
        sum += payload[i];
    return static_cast<uint8_t>(~sum);
}

CUSBPort::CUSBPort() : m_nState(LINK_CLOSED), m_replyBuffer(), m_requestBuffer() {}

CUSBPort::~CUSBPort() = default;

uint32_t CUSBPort::BuildFrame(uint8_t command, uint32_t payloadLength)
{
    PutLE16(m_requestBuffer, 0x5900);
    m_requestBuffer[2] = command;
    PutLE24(m_requestBuffer + 3, payloadLength);
    m_requestBuffer[6 + payloadLength] = FrameChecksum(m_requestBuffer + 6, payloadLength);
    return payloadLength + FRAME_OVERHEAD;
}

bool CUSBPort::SendFrame(const uint8_t *frame, uint32_t length, uint32_t &sent)
{
    sent = 0;
    if (m_nState == LINK_CLOSED)
        return false;
    // Whatever arrived unasked (a reply that came after its time-out) must not pass for the next answer.
    m_link.Flush();
    if (m_link.Send(frame, length))
        sent = length;
    if (sent == length)
        return true;
    m_strLastError = m_link.LastErrorText();
    return false;
}

bool CUSBPort::ReceiveFrame(uint8_t *destination, uint32_t capacity, uint32_t &received, uint32_t timeoutMs)
{
    received = 0;
    if (m_nState == LINK_CLOSED)
        return false;
    received = m_link.Receive(destination, capacity, timeoutMs);
    if (received != 0)
        return true;
    m_strLastError = m_link.LastErrorText();
    return false;
}

bool CUSBPort::SendRequest(uint32_t frameLength)
{
    uint32_t sent = 0;
    return SendFrame(m_requestBuffer, frameLength, sent);
}

// A reply's payload is checked over the length its own header names; a header naming more bytes
// than arrived is refused before anything past the received bytes is read.
bool CUSBPort::PayloadValid(const uint8_t *reply, uint32_t received)
{
    const uint32_t payloadLength = GetLE24(reply + 3);
    if (payloadLength == 0)
        return true;
    if (static_cast<uint64_t>(payloadLength) + FRAME_OVERHEAD > received) {
        ShowMessageF(DATA_LENGTH_MESSAGE, static_cast<int>(payloadLength + FRAME_OVERHEAD),
                     static_cast<int>(received));
        return false;
    }
    const uint8_t computed = FrameChecksum(reply + 6, payloadLength);
    const uint8_t carried = reply[6 + payloadLength];
    if (computed == carried)
        return true;
    ShowMessageF(CHECKSUM_MESSAGE, computed, carried);
    return false;
}

bool CUSBPort::CheckStatusReply(uint32_t received)
{
    if (received < STATUS_REPLY_SIZE) {
        ShowMessageF(STATUS_LENGTH_MESSAGE, static_cast<int>(STATUS_REPLY_SIZE), static_cast<int>(received));
        return false;
    }
    return m_replyBuffer[2] == 0x00 && m_replyBuffer[6] == 0x00;
}

bool CUSBPort::ExchangeStatus(uint32_t frameLength, uint32_t timeoutMs)
{
    uint32_t received = 0;
    if (!SendRequest(frameLength))
        return false;
    if (!ReceiveFrame(m_replyBuffer, STATUS_REPLY_SIZE, received, timeoutMs))
        return false;
    return CheckStatusReply(received);
}

bool CUSBPort::Connect(uint32_t portPair)
{
    m_link.ClearErrorText();
    if (!m_link.OpenOutput(portPair >> 16) || !m_link.OpenInput(portPair & 0xFFFF)) {
        m_link.CloseOutput();
        m_link.CloseInput();
        m_strLastError = m_link.LastErrorText();
        return Fail();
    }
    m_nState = LINK_NORMAL;
    m_link.SetPacking(true);
    m_link.Flush();
    if (Probe(CONNECT_PROBE_TIMEOUT)) {
        ReadIdentity();
        return true;
    }
    m_nState = LINK_RAW;
    m_link.SetPacking(false);
    m_link.Flush();
    if (!RawEcho(CONNECT_ECHO_TIMEOUT))
        return Fail();
    ReadRegisterIdentity();
    return true;
}

bool CUSBPort::Fail()
{
    m_link.CloseOutput();
    m_link.CloseInput();
    m_nState = LINK_CLOSED;
    return false;
}

void CUSBPort::ReadIdentity()
{
    uint8_t identity[IDENTITY_SIZE];
    if (!ReadData(IDENTITY_AREA, IDENTITY_ADDRESS, identity, IDENTITY_SIZE))
        return;
    m_identity.firmwareVersion = GetLE32(identity);
    m_identity.productId = GetLE32(identity + 4);
    m_identity.reservedId = GetLE32(identity + 8);
}

void CUSBPort::ReadRegisterIdentity()
{
    m_identity.firmwareVersion = ReadRegisterValue(FIRMWARE_VERSION_REGISTER);
    m_identity.productId = ReadRegisterValue(PRODUCT_ID_REGISTER);
    m_identity.reservedId = ReadRegisterValue(RESERVED_ID_REGISTER);
}

// Four registers, least significant byte first; any failed read makes the whole value unknown.
uint32_t CUSBPort::ReadRegisterValue(uint8_t baseRegister)
{
    uint32_t value = 0;
    for (uint32_t k = 0; k < 4; ++k) {
        const uint8_t request[RAW_SIZE] = {RAW_READ_REGISTER, static_cast<uint8_t>(baseRegister + k), 0, 0};
        uint8_t reply[RAW_SIZE];
        if (!ExchangeRaw(request, reply, REGISTER_TIMEOUT))
            return 0xFFFFFFFF;
        const uint32_t dataByte = (reply[3] & 0x0Fu) << 4 | (reply[2] & 0x0Fu);
        value |= dataByte << (8 * k);
    }
    return value;
}

bool CUSBPort::ExchangeRaw(const uint8_t request[], uint8_t reply[], uint32_t timeoutMs)
{
    uint32_t sent = 0;
    uint32_t received = 0;
    if (!SendFrame(request, RAW_SIZE, sent))
        return false;
    return ReceiveFrame(reply, RAW_SIZE, received, timeoutMs) && received == RAW_SIZE;
}

void CUSBPort::Disconnect()
{
    m_link.CloseOutput();
    m_link.CloseInput();
    m_nState = LINK_CLOSED;
}

bool CUSBPort::CheckAlive()
{
    if (m_nState == LINK_NORMAL)
        return Probe(ALIVE_TIMEOUT);
    if (m_nState == LINK_RAW)
        return RawEcho(ALIVE_TIMEOUT);
    return false;
}

bool CUSBPort::Probe(uint32_t timeoutMs)
{
    uint8_t reply[PROBE_REPLY_SIZE];
    uint32_t received = 0;
    if (!SendRequest(BuildFrame(CMD_PROBE, 0)))
        return false;
    if (!ReceiveFrame(reply, PROBE_REPLY_SIZE, received, timeoutMs))
        return false;
    if (received < PROBE_REPLY_SIZE) {
        ShowMessage(QStringLiteral("Data length error"));
        return false;
    }
    if (reply[2] != CMD_PROBE) {
        ShowMessage(QStringLiteral("Cmd type error"));
        return false;
    }
    return PayloadValid(reply, received);
}

bool CUSBPort::RawEcho(uint32_t timeoutMs)
{
    uint8_t reply[RAW_SIZE];
    return ExchangeRaw(RAW_ECHO, reply, timeoutMs) && std::memcmp(reply, RAW_ECHO, RAW_SIZE) == 0;
}

bool CUSBPort::EraseSector(uint8_t area, uint32_t address)
{
    const uint32_t payloadLength = PutAreaAddress(m_requestBuffer + 6, area, address);
    return ExchangeStatus(BuildFrame(CMD_ERASE, payloadLength), ERASE_TIMEOUT);
}

bool CUSBPort::WriteChunk(uint8_t area, uint32_t address, const uint8_t *data, uint32_t count)
{
    uint8_t *payload = m_requestBuffer + 6;
    uint32_t payloadLength = PutAreaAddress(payload, area, address);
    PutLE24(payload + payloadLength, count);
    payloadLength += 3;
    std::memcpy(payload + payloadLength, data, count);
    return ExchangeStatus(BuildFrame(CMD_WRITE, payloadLength + count), WRITE_TIMEOUT);
}

bool CUSBPort::WriteData(uint8_t area, uint32_t address, const uint8_t *data, uint32_t length,
                         QObject *progressTarget)
{
    const uint32_t chunks = (length + WRITE_CHUNK - 1) / WRITE_CHUNK;
    uint32_t remaining = length;
    for (uint32_t chunk = 1; chunk <= chunks; ++chunk) {
        const uint32_t count = std::min(remaining, WRITE_CHUNK);
        if (!WriteChunk(area, address, data, count))
            return false;
        PostProgress(progressTarget, chunk, chunks);
        address += count;
        data += count;
        remaining -= count;
    }
    return true;
}

int CUSBPort::WriteVerify(uint8_t area, uint32_t address, const uint8_t *data, uint32_t length,
                          QObject *progressTarget)
{
    if (!WriteData(area, address, data, length, progressTarget))
        return WRITE_RESULT_FAILED;
    uint16_t sum = 0;
    for (uint32_t i = 0; i < length; ++i)
        sum = static_cast<uint16_t>(sum + data[i]);

    uint8_t *payload = m_requestBuffer + 6;
    const uint32_t payloadLength = PutAreaAddress(payload, area, address);
    PutLE32(payload + payloadLength, length);
    if (!SendRequest(BuildFrame(CMD_CHECKSUM, payloadLength + 4)))
        return WRITE_RESULT_TIMEOUT;

    uint8_t reply[CHECKSUM_REPLY_SIZE];
    uint32_t received = 0;
    if (!ReceiveFrame(reply, CHECKSUM_REPLY_SIZE, received, CHECKSUM_TIMEOUT))
        return WRITE_RESULT_TIMEOUT;
    // The sum sits at bytes 15..16: a reply that stops before them carries no answer.
    if (received < 17 || reply[2] != CMD_CHECKSUM || !PayloadValid(reply, received))
        return WRITE_RESULT_TIMEOUT;
    return GetLE16(reply + 15) == sum ? WRITE_RESULT_OK : WRITE_RESULT_VERIFY_FAILED;
}

bool CUSBPort::ReadData(uint8_t area, uint32_t address, uint8_t *destination, uint32_t length)
{
    uint32_t remaining = length;
    while (remaining > 0) {
        const uint32_t count = std::min(remaining, READ_CHUNK);
        uint8_t *payload = m_requestBuffer + 6;
        uint32_t payloadLength = PutAreaAddress(payload, area, address);
        PutLE24(payload + payloadLength, count);
        payloadLength += 3;
        if (!SendRequest(BuildFrame(CMD_READ, payloadLength)))
            return false;
        uint8_t replyArea = 0;
        uint32_t replyAddress = 0;
        uint32_t replyCount = 0;
        if (!ReceiveReadReply(destination, count, replyArea, replyAddress, replyCount))
            return false;
        if (replyArea != area || replyAddress != address || replyCount != count)
            return false;
        destination += count;
        address += count;
        remaining -= count;
    }
    return true;
}

bool CUSBPort::ReceiveReadReply(uint8_t *destination, uint32_t n, uint8_t &area, uint32_t &address,
                                uint32_t &count)
{
    const uint32_t expected = n + READ_REPLY_OVERHEAD;
    uint32_t received = 0;
    if (!ReceiveFrame(m_replyBuffer, std::min(expected, BUFFER_SIZE), received, READ_TIMEOUT))
        return false;
    if (m_replyBuffer[2] != CMD_READ) {
        qDebug("get_upload_responds::Data type not 0x23!\n");
        return false;
    }
    if (received < expected) {
        ShowMessageF(DATA_LENGTH_MESSAGE, static_cast<int>(expected), static_cast<int>(received));
        return false;
    }
    if (!PayloadValid(m_replyBuffer, received)) {
        qDebug("get_upload_responds::Checksum error!\n");
        return false;
    }
    area = m_replyBuffer[6];
    address = GetLE32(m_replyBuffer + 7);
    count = GetLE24(m_replyBuffer + 11);
    // Never copy more than the chunk asked for: the destination holds n bytes.
    if (count > n) {
        qDebug("get_upload_responds::Data count %u over %u!\n", count, n);
        return false;
    }
    std::memcpy(destination, m_replyBuffer + 14, count);
    return true;
}
