#include "CLoopbackBackend.h"
#include "CMidiLink.h"
#include "HexBytes.h"
#include "MillisecondClock.h"

#include <QtTest>

#include <atomic>
#include <thread>

namespace {

std::vector<unsigned char> Wire(const QString &hex)
{
    const std::vector<uint8_t> bytes = BytesFromHex(hex);
    return std::vector<unsigned char>(bytes.begin(), bytes.end());
}

// A raw SysEx message whose body is `length` bytes derived from seed, all below 0x80.
std::vector<unsigned char> RawMessage(uint32_t length, uint32_t seed)
{
    std::vector<unsigned char> message;
    message.reserve(length + 2);
    message.push_back(0xF0);
    for (uint32_t i = 0; i < length; ++i)
        message.push_back(static_cast<unsigned char>((seed * 31 + i * 7) & 0x7F));
    message.push_back(0xF7);
    return message;
}

QByteArray Body(const std::vector<unsigned char> &message)
{
    return QByteArray(reinterpret_cast<const char *>(message.data()) + 1, int(message.size()) - 2);
}

} // namespace

class TestMidiLink : public QObject {
    Q_OBJECT

    static std::atomic<int> s_nClockReads;
    static uint64_t JumpingMilliseconds() { return 10 * uint64_t(++s_nClockReads); }

private slots:
    void init()
    {
        m_pBackend = std::make_shared<CLoopbackBackend>();
        SetMidiBackend(m_pBackend);
        m_pLink.reset(new CMidiLink);
        QVERIFY(m_pLink->OpenOutput(0));
        QVERIFY(m_pLink->OpenInput(0));
    }
    void cleanup()
    {
        m_pLink.reset();
        SetMidiBackend(nullptr);
        m_pBackend.reset();
    }

    void sendsBodyAsOneSysExMessage_data()
    {
        QTest::addColumn<bool>("packed");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("wire");
        QTest::newRow("probe packed") << true << "00 59 11 00 00 00 FF"
                                      << "F0 00 32 45 00 00 00 40 7F F7";
        QTest::newRow("probe raw") << false << "00 59 11 00 00 00 FF"
                                   << "F0 00 59 11 00 00 00 FF F7";
        QTest::newRow("two bytes packed") << true << "00 59"
                                          << "F0 00 32 01 F7";
        QTest::newRow("empty packed") << true << ""
                                      << "F0 F7";
        QTest::newRow("empty raw") << false << ""
                                   << "F0 F7";
        QTest::newRow("all bits set") << true << "FF FF FF"
                                      << "F0 7F 7F 7F 07 F7";
    }
    void sendsBodyAsOneSysExMessage()
    {
        QFETCH(bool, packed);
        QFETCH(QString, body);
        QFETCH(QString, wire);
        m_pLink->SetPacking(packed);
        const std::vector<uint8_t> bytes = BytesFromHex(body);
        QVERIFY(m_pLink->Send(bytes.data(), uint32_t(bytes.size())));
        const auto sent = m_pBackend->Sent();
        QCOMPARE(sent.size(), size_t(1));
        QCOMPARE(HexBytes(sent[0].data(), sent[0].size()), wire);
    }

    void unpacksWhatArrives_data()
    {
        QTest::addColumn<QString>("wire");
        QTest::addColumn<QString>("body");
        QTest::newRow("probe") << "F0 00 32 45 00 00 00 40 7F F7"
                               << "00 59 11 00 00 00 FF";
        QTest::newRow("two bytes") << "F0 00 32 01 F7"
                                   << "00 59";
        QTest::newRow("clock bytes before the message") << "F8 FE F8 F0 00 32 01 F7"
                                                        << "00 59";
        QTest::newRow("leftover bits dropped") << "F0 7F 7F F7"
                                               << "FF";
    }
    void unpacksWhatArrives()
    {
        QFETCH(QString, wire);
        QFETCH(QString, body);
        m_pBackend->Deliver(Wire(wire));
        uint8_t received[64];
        const uint32_t count = m_pLink->Receive(received, sizeof received, 1000);
        QCOMPARE(HexBytes(received, count), body);
    }

    void roundTripsEveryFrameSize()
    {
        m_pBackend->SetEcho(true);
        std::vector<uint8_t> received(8192);
        for (uint32_t length : {1u, 6u, 7u, 8u, 15u, 1024u, 5135u}) {
            std::vector<uint8_t> body(length);
            for (uint32_t i = 0; i < length; ++i)
                body[i] = uint8_t(i * 37 + length);
            QVERIFY(m_pLink->Send(body.data(), length));
            const uint32_t count = m_pLink->Receive(received.data(), uint32_t(received.size()), 2000);
            QCOMPARE(count, length);
            QVERIFY(std::equal(body.begin(), body.end(), received.begin()));
        }
        QCOMPARE(m_pBackend->Sent().back().size(), size_t(5871));
    }

    void refusesMessageLongerThanSendBuffer()
    {
        m_pLink->SetPacking(false);
        std::vector<uint8_t> body(CMidiLink::BUFFER_SIZE - 1);
        QVERIFY(!m_pLink->Send(body.data(), uint32_t(body.size())));
        QVERIFY(!m_pLink->LastErrorText().isEmpty());
        QVERIFY(m_pBackend->Sent().empty());
    }

    void timeoutsCountSilenceOnly()
    {
        m_pLink->SetPacking(false);
        uint8_t received[16];
        QCOMPARE(m_pLink->Receive(received, sizeof received, 1), 0u);

        m_pBackend->Deliver(Wire("F0 01 02 F7"));
        m_pBackend->WaitDelivered();
        QCOMPARE(m_pLink->Receive(received, sizeof received, 0), 0u);
        QCOMPARE(m_pLink->ReadIndex(), 0u);

        // A reply that comes later than the first millisecond is still picked up.
        std::thread late([this] {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            m_pBackend->Deliver(Wire("F0 03 F7"));
        });
        QCOMPARE(m_pLink->Receive(received, sizeof received, 1000), 2u);
        QCOMPARE(m_pLink->Receive(received, sizeof received, 2000), 1u);
        QCOMPARE(received[0], uint8_t(0x03));
        late.join();
    }

    // A receiver kept off the processor finds the clock far ahead when it comes back: the time-out
    // counts that time, so a busy machine does not stretch a 50 ms wait into hundreds.
    void timeoutsCountTimeThatPassedWhileAway()
    {
        SetMillisecondSource(&JumpingMilliseconds);
        uint8_t received[16];
        s_nClockReads = 0;
        QCOMPARE(m_pLink->Receive(received, sizeof received, 50), 0u);
        SetMillisecondSource(nullptr);
        // Every look at the clock finds 10 ms gone: a handful of looks, not fifty waits' worth.
        QVERIFY2(s_nClockReads.load() <= 12, qPrintable(QString::number(s_nClockReads.load())));
    }

    void fullDestinationLeavesRestForFlush()
    {
        m_pLink->SetPacking(false);
        m_pBackend->Deliver(Wire("F0 01 02 03 04 F7"));
        m_pBackend->WaitDelivered();
        uint8_t received[2];
        QCOMPARE(m_pLink->Receive(received, 2, 100), 2u);
        QCOMPARE(HexBytes(received, 2), QString("01 02"));
        QCOMPARE(m_pLink->WriteIndex() - m_pLink->ReadIndex(), 3u);
        m_pLink->Flush();
        QCOMPARE(m_pLink->ReadIndex(), m_pLink->WriteIndex());
    }

    void messageCrossingRingEndIsSplit()
    {
        m_pLink->SetPacking(false);
        std::vector<uint8_t> received(CMidiLink::BUFFER_SIZE);
        ReceiveWhole(RawMessage(CMidiLink::BUFFER_SIZE - 12, 1), received);
        QCOMPARE(m_pLink->WriteIndex(), CMidiLink::BUFFER_SIZE - 10);

        const auto crossing = RawMessage(18, 2);
        ReceiveWhole(crossing, received);
        QCOMPARE(m_pLink->WriteIndex(), 10u);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(received.data()), 18), Body(crossing));

        // Landing exactly on the end wraps the index to 0.
        ReceiveWhole(RawMessage(CMidiLink::BUFFER_SIZE - 12, 3), received);
        QCOMPARE(m_pLink->WriteIndex(), 0u);
        QCOMPARE(m_pLink->ReadIndex(), 0u);
    }

    void overrunDropsNewMessagesWhole()
    {
        m_pLink->SetPacking(false);
        m_pBackend->Deliver(std::vector<unsigned char>(CMidiLink::BUFFER_SIZE - 1, 0xF8));
        m_pBackend->Deliver(Wire("F0 01 F7"));
        m_pBackend->Deliver(RawMessage(60000, 4));
        m_pBackend->WaitDelivered();
        QCOMPARE(m_pLink->DroppedMessages(), 2u);
        QCOMPARE(m_pLink->WriteIndex(), CMidiLink::BUFFER_SIZE - 1);

        m_pLink->Flush();
        m_pBackend->Deliver(Wire("F0 05 06 F7"));
        uint8_t received[8];
        QCOMPARE(m_pLink->Receive(received, sizeof received, 1000), 2u);
        QCOMPARE(HexBytes(received, 2), QString("05 06"));
    }

    void producerAndConsumerOnTwoThreads()
    {
        m_pLink->SetPacking(false);
        const uint32_t messages = 3000;
        std::atomic<bool> stop(false);
        std::thread producer([&] {
            for (uint32_t i = 0; i < messages && !stop; ++i) {
                // Stay well inside the ring so that nothing is dropped by design.
                while (!stop && (m_pLink->WriteIndex() + CMidiLink::BUFFER_SIZE - m_pLink->ReadIndex()) %
                                        CMidiLink::BUFFER_SIZE >
                                    CMidiLink::BUFFER_SIZE / 2)
                    std::this_thread::yield();
                m_pBackend->Deliver(RawMessage(1 + (i * 131) % 1173, i));
                m_pBackend->WaitDelivered();
            }
        });
        std::vector<uint8_t> received(2048);
        uint32_t intact = 0;
        for (uint32_t i = 0; i < messages; ++i) {
            const auto expected = RawMessage(1 + (i * 131) % 1173, i);
            const uint32_t count = m_pLink->Receive(received.data(), uint32_t(received.size()), 5000);
            if (QByteArray(reinterpret_cast<char *>(received.data()), int(count)) != Body(expected))
                break;
            ++intact;
        }
        stop = true;
        producer.join();
        QCOMPARE(intact, messages);
        QCOMPARE(m_pLink->DroppedMessages(), 0u);
    }

    void libraryErrorsBecomeErrorText()
    {
        CMidiLink link;
        uint8_t body[] = {0x00};
        QVERIFY(!link.Send(body, 1));
        QVERIFY(link.LastErrorText().isEmpty());

        m_pBackend->FailNextOpen("no such port");
        QVERIFY(!link.OpenOutput(3));
        QCOMPARE(link.LastErrorText(), QString("no such port"));
        QVERIFY(!link.Send(body, 1));
        QCOMPARE(link.LastErrorText(), QString("no such port"));
        // The object stays and the next open reuses it.
        QVERIFY(link.OpenOutput(0));
        QVERIFY(link.Send(body, 1));
    }

    void reopenedInputKeepsItsCallback()
    {
        m_pLink->SetPacking(false);
        m_pLink->CloseInput();
        m_pLink->CloseOutput();
        QVERIFY(m_pLink->OpenInput(0));
        m_pBackend->Deliver(Wire("F0 09 F7"));
        uint8_t received[4];
        QCOMPARE(m_pLink->Receive(received, sizeof received, 1000), 1u);
        QCOMPARE(received[0], uint8_t(0x09));
    }

private:
    void ReceiveWhole(const std::vector<unsigned char> &message, std::vector<uint8_t> &received)
    {
        m_pBackend->Deliver(message);
        m_pBackend->WaitDelivered();
        const uint32_t count = m_pLink->Receive(received.data(), uint32_t(received.size()), 1000);
        QCOMPARE(count, uint32_t(message.size() - 2));
    }

    std::shared_ptr<CLoopbackBackend> m_pBackend;
    std::unique_ptr<CMidiLink> m_pLink;
};

std::atomic<int> TestMidiLink::s_nClockReads{0};

QTEST_GUILESS_MAIN(TestMidiLink)
#include "tst_midilink.moc"
