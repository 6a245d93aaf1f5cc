#include "CMidiLink.h"

#include "CancelRequest.h"
#include "MillisecondClock.h"
#include "SevenBitCodec.h"

#include <chrono>
#include <cstring>
#include <limits>

namespace {
const uint8_t SYSEX_START = 0xF0;
const uint8_t SYSEX_END = 0xF7;
const char *const OUTPUT_CLIENT = "RtMidi Output Client";
const char *const INPUT_CLIENT = "RtMidi Input Client";
const unsigned int INPUT_QUEUE_LIMIT = 100;
// What WaitForInput answers when a cancel request ended the wait.
const uint64_t WAIT_CANCELLED = std::numeric_limits<uint64_t>::max();

// The moment the steady clock's current millisecond is over.
std::chrono::steady_clock::time_point EndOfSteadyMillisecond()
{
    using namespace std::chrono;
    return time_point_cast<milliseconds>(steady_clock::now()) + milliseconds(1);
}
} // namespace

CMidiLink::CMidiLink()
    : m_pRing(new uint8_t[BUFFER_SIZE]), m_nRingCapacity(BUFFER_SIZE), m_nReadIndex(0), m_nWriteIndex(0),
      m_nDropped(0), m_nPacking(1)
{
}

CMidiLink::~CMidiLink()
{
    CloseOutput();
    CloseInput();
    // The input object goes first: deleting it stops the library thread that writes the ring.
    m_pInput.reset();
    m_pOutput.reset();
}

void CMidiLink::KeepError(const RtMidiError &error)
{
    m_strError = QString::fromStdString(error.getMessage());
}

void CMidiLink::EnsureOutput()
{
    if (!m_pOutput)
        m_pOutput = MidiBackend()->CreateOutput(OUTPUT_CLIENT);
    else if (m_pOutput->isPortOpen())
        m_pOutput->closePort();
}

void CMidiLink::EnsureInput()
{
    if (!m_pInput) {
        m_pInput = MidiBackend()->CreateInput(INPUT_CLIENT, INPUT_QUEUE_LIMIT);
        m_pInput->ignoreTypes(false, false, false);
        // Registered once: the object keeps its callback for the link's whole life.
        m_pInput->setCallback(&CMidiLink::OnMidiInput, this);
    } else if (m_pInput->isPortOpen()) {
        m_pInput->closePort();
    }
}

bool CMidiLink::OpenOutput(unsigned int port)
{
    try {
        EnsureOutput();
        m_pOutput->openPort(port, "RtMidi Output");
        return true;
    } catch (const RtMidiError &error) {
        KeepError(error);
        return false;
    }
}

bool CMidiLink::OpenInput(unsigned int port)
{
    try {
        EnsureInput();
        m_pInput->openPort(port, "RtMidi Input");
        return true;
    } catch (const RtMidiError &error) {
        KeepError(error);
        return false;
    }
}

void CMidiLink::CloseOutput()
{
    try {
        if (m_pOutput && m_pOutput->isPortOpen())
            m_pOutput->closePort();
    } catch (const RtMidiError &error) {
        KeepError(error);
    }
}

void CMidiLink::CloseInput()
{
    try {
        if (m_pInput && m_pInput->isPortOpen())
            m_pInput->closePort();
    } catch (const RtMidiError &error) {
        KeepError(error);
    }
}

void CMidiLink::SetPacking(bool packed)
{
    m_nPacking = packed ? 1 : 0;
}

void CMidiLink::Flush()
{
    m_nReadIndex.store(m_nWriteIndex.load(std::memory_order_acquire), std::memory_order_release);
}

bool CMidiLink::Send(const uint8_t *body, uint32_t length)
{
    try {
        if (!m_pOutput || !m_pOutput->isPortOpen())
            return false;
        const uint32_t bodyWireLength = m_nPacking ? PackedLength(length) : length;
        if (static_cast<uint64_t>(bodyWireLength) + 2 > BUFFER_SIZE) {
            m_strError = QStringLiteral("MIDI message too long: %1 bytes").arg(bodyWireLength + 2);
            return false;
        }
        uint32_t wireLength = 0;
        m_sendBuffer[wireLength++] = SYSEX_START;
        if (m_nPacking) {
            wireLength += PackSevenBit(body, length, m_sendBuffer + wireLength);
        } else if (length > 0) {
            std::memcpy(m_sendBuffer + wireLength, body, length);
            wireLength += length;
        }
        m_sendBuffer[wireLength++] = SYSEX_END;
        m_pOutput->sendMessage(m_sendBuffer, wireLength);
        return true;
    } catch (const RtMidiError &error) {
        KeepError(error);
        return false;
    }
}

void CMidiLink::OnMidiInput(double, std::vector<unsigned char> *message, void *userData)
{
    if (!message || message->empty() || !userData)
        return;
    static_cast<CMidiLink *>(userData)->Append(message->data(), static_cast<uint32_t>(message->size()));
}

// Producer side. A message is stored whole or not at all: one that does not fit beside the unread
// input (or is longer than the ring) is dropped, so the bytes the reader may be reading are never
// overwritten and no reply is ever torn.
void CMidiLink::Append(const unsigned char *bytes, uint32_t length)
{
    const uint32_t write = m_nWriteIndex.load(std::memory_order_relaxed);
    const uint32_t read = m_nReadIndex.load(std::memory_order_acquire);
    const uint32_t unread = (write + m_nRingCapacity - read) % m_nRingCapacity;
    if (length > m_nRingCapacity - 1 - unread) {
        m_nDropped.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    const uint32_t firstPart = std::min(length, m_nRingCapacity - write);
    std::memcpy(m_pRing.get() + write, bytes, firstPart);
    if (firstPart < length)
        std::memcpy(m_pRing.get(), bytes + firstPart, length - firstPart);
    m_nWriteIndex.store((write + length) % m_nRingCapacity, std::memory_order_release);
    m_arrival.Notify();
}

// Sleeps while the ring holds nothing past read. Returns 0 as soon as bytes are published, or the
// whole milliseconds of silence once the millisecond clock has moved on: counting what the clock
// shows, not the wake-ups, keeps a time-out from stretching when the thread is woken late. The
// count is taken before the ring is looked at, so a publication between the look and the sleep
// ends the sleep at once. A cancel request (set by a signal handler, which must not touch the
// arrival signal's mutex) is seen at the next millisecond and returns WAIT_CANCELLED.
uint64_t CMidiLink::WaitForInput(uint32_t read)
{
    const uint64_t start = MillisecondsNow();
    for (;;) {
        const uint64_t seen = m_arrival.Count();
        if (read != m_nWriteIndex.load(std::memory_order_acquire))
            return 0;
        if (CancelEndsWait())
            return WAIT_CANCELLED;
        const uint64_t silent = MillisecondsNow() - start;
        if (silent >= 1)
            return silent;
        m_arrival.WaitPast(seen, EndOfSteadyMillisecond());
    }
}

uint32_t CMidiLink::Receive(uint8_t *destination, uint32_t capacity, uint32_t timeoutMs)
{
    // Once a stop cut a wait short, its reply may still come: taken as the answer to a later request
    // it would pass for a faulty device. Nothing is read while the stop is pending.
    if (timeoutMs == 0 || CancelEndsWait())
        return 0;
    bool inFrame = false;
    uint32_t stored = 0;
    uint32_t budget = timeoutMs;
    CSevenBitUnpacker unpacker;
    uint32_t read = m_nReadIndex.load(std::memory_order_relaxed);
    while (stored < capacity) {
        if (read == m_nWriteIndex.load(std::memory_order_acquire)) {
            const uint64_t silent = WaitForInput(read);
            // The answer is abandoned whole: part of a frame would pass for a short reply.
            if (silent == WAIT_CANCELLED)
                return 0;
            if (silent >= budget)
                break;
            budget -= uint32_t(silent);
            continue;
        }
        const uint8_t byte = m_pRing[read];
        read = (read + 1) % m_nRingCapacity;
        m_nReadIndex.store(read, std::memory_order_release);
        if (!inFrame) {
            inFrame = byte == SYSEX_START;
            continue;
        }
        if (byte == SYSEX_END)
            break;
        if (!m_nPacking)
            destination[stored++] = byte;
        else if (unpacker.Add(byte, destination[stored]))
            ++stored;
    }
    return stored;
}
