#pragma once

#include "CMidiLink.h"

#include <QObject>
#include <QString>

#include <cstdint>

enum : int32_t {
    LINK_NORMAL = 1,
    LINK_RAW = 2,
    LINK_CLOSED = 3,
};

enum : int {
    WRITE_RESULT_FAILED = 0,
    WRITE_RESULT_OK = 1,
    WRITE_RESULT_VERIFY_FAILED = 3,
    WRITE_RESULT_TIMEOUT = 4,
};

enum : uint8_t {
    CMD_PROBE = 0x11,
    CMD_ERASE = 0x21,
    CMD_WRITE = 0x22,
    CMD_READ = 0x23,
    CMD_CHECKSUM = 0x24,
};

struct DeviceIdentity {
    uint32_t firmwareVersion = 0xFFFFFFFF;
    uint32_t productId = 0xFFFFFFFF;
    uint32_t reservedId = 0xFFFFFFFF;
};

// The device link: opens the device's port pair, identifies what answers and carries the
// device's framed request/response protocol. Every operation blocks until the reply arrived or
// its time-out ran out; nothing is retried.
class CUSBPort {
public:
    static constexpr uint32_t BUFFER_SIZE = 65536;
    static constexpr uint32_t WRITE_CHUNK = 5120;
    static constexpr uint32_t READ_CHUNK = 1009;
    static constexpr uint32_t FRAME_OVERHEAD = 7;
    static constexpr uint32_t STATUS_REPLY_SIZE = 8;

    CUSBPort();
    virtual ~CUSBPort();
    CUSBPort(const CUSBPort &) = delete;
    CUSBPort &operator=(const CUSBPort &) = delete;

    // portPair: output port index in the high 16 bits, input port index in the low 16 bits.
    bool Connect(uint32_t portPair);
    void Disconnect();
    bool CheckAlive();
    bool Probe(uint32_t timeoutMs);
    bool RawEcho(uint32_t timeoutMs);

    bool EraseSector(uint8_t area, uint32_t address);
    bool WriteData(uint8_t area, uint32_t address, const uint8_t *data, uint32_t length,
                   QObject *progressTarget);
    int WriteVerify(uint8_t area, uint32_t address, const uint8_t *data, uint32_t length,
                    QObject *progressTarget);
    bool ReadData(uint8_t area, uint32_t address, uint8_t *destination, uint32_t length);

    // Receives a read reply for a chunk of n bytes, checks it and copies its data to destination.
    bool ReceiveReadReply(uint8_t *destination, uint32_t n, uint8_t &area, uint32_t &address,
                          uint32_t &count);
    bool SendFrame(const uint8_t *frame, uint32_t length, uint32_t &sent);
    bool ReceiveFrame(uint8_t *destination, uint32_t capacity, uint32_t &received, uint32_t timeoutMs);

    // Completes the frame whose payload was written at offset 6 of the request buffer; returns its length.
    uint32_t BuildFrame(uint8_t command, uint32_t payloadLength);
    // Judges a status reply of `received` bytes in the reply buffer, showing the length message.
    bool CheckStatusReply(uint32_t received);

    QString GetLastErrorText() const { return m_strLastError; }
    int32_t State() const { return m_nState; }
    const DeviceIdentity &Identity() const { return m_identity; }
    uint8_t *RequestBuffer() { return m_requestBuffer; }
    const uint8_t *ReplyBuffer() const { return m_replyBuffer; }

private:
    bool Fail();
    void ReadIdentity();
    void ReadRegisterIdentity();
    uint32_t ReadRegisterValue(uint8_t baseRegister);
    bool ExchangeRaw(const uint8_t request[], uint8_t reply[], uint32_t timeoutMs);
    bool SendRequest(uint32_t frameLength);
    bool ExchangeStatus(uint32_t frameLength, uint32_t timeoutMs);
    bool WriteChunk(uint8_t area, uint32_t address, const uint8_t *data, uint32_t count);
    bool PayloadValid(const uint8_t *reply, uint32_t received);

    CMidiLink m_link;
    int32_t m_nState;
    QString m_strLastError;
    uint8_t m_replyBuffer[BUFFER_SIZE];
    uint8_t m_requestBuffer[BUFFER_SIZE];
    DeviceIdentity m_identity;
};

// The frame checksum: NOT of the low 8 bits of the sum of the payload bytes.
uint8_t FrameChecksum(const uint8_t *payload, uint32_t length);
