#pragma once

#include "CArrivalSignal.h"
#include "CMidiBackend.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

// One MIDI output and one MIDI input connection to the device. Frames go out as one SysEx
// message each, 7-bit packed or raw; everything that comes in lands in a receive ring filled by
// the library's input thread and read by the owner's thread (single producer, single consumer,
// no lock around the bytes). A receiver facing an empty ring sleeps until the callback signals
// new bytes or the current millisecond of its budget is over; a cancel request (CancelRequest.h)
// ends its wait at the next millisecond, unless a commit holds it off.
class CMidiLink {
public:
    static constexpr uint32_t BUFFER_SIZE = 51200;

    CMidiLink();
    ~CMidiLink();
    CMidiLink(const CMidiLink &) = delete;
    CMidiLink &operator=(const CMidiLink &) = delete;

    bool OpenOutput(unsigned int port);
    bool OpenInput(unsigned int port);
    void CloseOutput();
    void CloseInput();

    void SetPacking(bool packed);
    bool IsPacking() const { return m_nPacking == 1; }
    void Flush();

    bool Send(const uint8_t *body, uint32_t length);
    // Stores the body of the next SysEx message; the time-out counts milliseconds of silence.
    // 0 when a cancel request ended the wait, as after a time-out, and without an error text.
    uint32_t Receive(uint8_t *destination, uint32_t capacity, uint32_t timeoutMs);

    QString LastErrorText() const { return m_strError; }
    void ClearErrorText() { m_strError.clear(); }

    static void OnMidiInput(double timeStamp, std::vector<unsigned char> *message, void *userData);

    uint32_t ReadIndex() const { return m_nReadIndex.load(std::memory_order_relaxed); }
    uint32_t WriteIndex() const { return m_nWriteIndex.load(std::memory_order_acquire); }
    // Messages the producer refused because they did not fit beside the unread input.
    uint32_t DroppedMessages() const { return m_nDropped.load(std::memory_order_relaxed); }

private:
    void Append(const unsigned char *bytes, uint32_t length);
    uint64_t WaitForInput(uint32_t read);
    void EnsureOutput();
    void EnsureInput();
    void KeepError(const RtMidiError &error);

    uint8_t m_sendBuffer[BUFFER_SIZE];
    std::unique_ptr<uint8_t[]> m_pRing;
    const uint32_t m_nRingCapacity;
    // The reader alone moves the read index; it is published so the producer can see the room left.
    std::atomic<uint32_t> m_nReadIndex;
    std::atomic<uint32_t> m_nWriteIndex;
    std::atomic<uint32_t> m_nDropped;
    CArrivalSignal m_arrival;
    int32_t m_nPacking;
    std::unique_ptr<CMidiOutput> m_pOutput;
    std::unique_ptr<CMidiInput> m_pInput;
    QString m_strError;
};
