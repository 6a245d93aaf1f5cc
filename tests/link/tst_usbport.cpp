#include "CEventBase.h"
#include "CLoopbackBackend.h"
#include "CRecordingPresenter.h"
#include "CUSBPort.h"
#include "HexBytes.h"
#include "MillisecondClock.h"

#include <QtTest>

namespace {

using Bytes = std::vector<uint8_t>;
using Wire = std::vector<unsigned char>;

CLoopbackBackend *g_pBackend = nullptr;
uint64_t g_nWarp = 0;

// Silence passes instantly once the scripted device has delivered everything it will say.
uint64_t IdleWarpMilliseconds()
{
    if (g_pBackend && g_pBackend->Idle())
        ++g_nWarp;
    return SteadyMilliseconds() + g_nWarp;
}

// The device's side of the 7-bit packing, written separately from the program's.
Wire Packed(const Bytes &body)
{
    Wire wire{0xF0};
    uint32_t bits = 0, pending = 0;
    for (uint8_t byte : body) {
        bits |= uint32_t(byte) << pending;
        for (pending += 8; pending >= 7; pending -= 7, bits >>= 7)
            wire.push_back(bits & 0x7F);
    }
    if (pending)
        wire.push_back(bits & 0x7F);
    wire.push_back(0xF7);
    return wire;
}

Bytes Unpacked(const Wire &wire)
{
    Bytes body;
    uint32_t bits = 0, pending = 0;
    for (size_t i = 1; i + 1 < wire.size(); ++i) {
        bits |= uint32_t(wire[i] & 0x7F) << pending;
        for (pending += 7; pending >= 8; pending -= 8, bits >>= 8)
            body.push_back(bits & 0xFF);
    }
    return body;
}

Wire Raw(const Bytes &body)
{
    Wire wire{0xF0};
    wire.insert(wire.end(), body.begin(), body.end());
    wire.push_back(0xF7);
    return wire;
}

Bytes Frame(uint8_t command, const Bytes &payload)
{
    Bytes frame{0x00,
                0x59,
                command,
                uint8_t(payload.size()),
                uint8_t(payload.size() >> 8),
                uint8_t(payload.size() >> 16)};
    frame.insert(frame.end(), payload.begin(), payload.end());
    uint8_t sum = 0;
    for (uint8_t byte : payload)
        sum += byte;
    frame.push_back(uint8_t(~sum));
    return frame;
}

// A well-formed read reply whose count field names one byte more than the 100 it carries.
Bytes CountOverChunkReply()
{
    Bytes payload{0x01, 0x00, 0x01, 0x00, 0x00, 101, 0x00, 0x00};
    payload.resize(payload.size() + 100, 0xAA);
    return Frame(0x23, payload);
}

const Bytes STATUS_DONE = BytesFromHex("00 59 00 01 00 00 00 FF");
const Bytes STATUS_REFUSED = BytesFromHex("00 59 00 01 00 00 01 FE");

Bytes ProbeReply()
{
    return Frame(0x11, Bytes(27, 0x41));
}

// Answers a read request like a device whose memory holds byte (address & 0xFF).
Bytes ReadReply(const Bytes &request)
{
    Bytes payload(request.begin() + 6, request.begin() + 14);
    const uint32_t address = request[7] | request[8] << 8 | request[9] << 16 | uint32_t(request[10]) << 24;
    const uint32_t count = request[11] | request[12] << 8 | request[13] << 16;
    for (uint32_t i = 0; i < count; ++i)
        payload.push_back(uint8_t(address + i));
    return Frame(0x23, payload);
}

class CProgressSink : public QObject {
public:
    QList<QPair<qint64, qint64>> events;

protected:
    void customEvent(QEvent *event) override
    {
        if (event->type() == QEvent::Type(CEventBase::EVENT_TYPE)) {
            auto *progress = static_cast<CEventBase *>(event);
            events.append({progress->pos, progress->total});
        }
    }
};

} // namespace

class TestUSBPort : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_pBackend = std::make_shared<CLoopbackBackend>();
        g_pBackend = m_pBackend.get();
        SetMidiBackend(m_pBackend);
        SetMillisecondSource(&IdleWarpMilliseconds);
        m_pPort.reset(new CUSBPort);
    }
    void cleanup()
    {
        m_pPort.reset();
        SetMillisecondSource(nullptr);
        SetMidiBackend(nullptr);
        g_pBackend = nullptr;
        m_pBackend.reset();
    }

    void connectReadsIdentity()
    {
        Respond([](const Bytes &request) -> std::vector<Bytes> {
            if (request[2] == 0x11)
                return {ProbeReply()};
            return {BytesFromHex("00 59 23 18 00 00 00 80 21 00 00 10 00 00 03 02 01 00 13 27 00 00 00 00 00 "
                                 "00 00 00 00 00 0E")};
        });
        QVERIFY(m_pPort->Connect(0));
        QCOMPARE(m_pPort->State(), int32_t(LINK_NORMAL));
        QCOMPARE(m_pPort->Identity().firmwareVersion, 0x00010203u);
        QCOMPARE(m_pPort->Identity().productId, 10003u);
        QCOMPARE(m_pPort->Identity().reservedId, 0u);
        const auto sent = m_pBackend->Sent();
        QCOMPARE(sent.size(), size_t(2));
        QCOMPARE(HexBytes(sent[0].data(), sent[0].size()), QString("F0 00 32 45 00 00 00 40 7F F7"));
        QCOMPARE(HexBytes(Unpacked(sent[1])), QString("00 59 23 08 00 00 00 80 21 00 00 10 00 00 4E"));
    }

    void failedIdentityReadKeepsConnection()
    {
        Respond([](const Bytes &request) -> std::vector<Bytes> {
            if (request[2] == 0x11)
                return {ProbeReply()};
            return {};
        });
        QVERIFY(m_pPort->Connect(0));
        QCOMPARE(m_pPort->State(), int32_t(LINK_NORMAL));
        QCOMPARE(m_pPort->Identity().productId, 0xFFFFFFFFu);
    }

    void rawDeviceIdentifiedByRegisters()
    {
        // Registers 0x13.. hold version 1.2.3, product 10003 and reserved 7; register 0x14 never answers.
        const Bytes values{0x03, 0x02, 0x01, 0x00, 0x13, 0x27, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00};
        m_pBackend->SetResponder([values](const Wire &wire) -> std::vector<Wire> {
            if (wire.size() != 6)
                return {};
            if (wire[2] == 0x12)
                return {wire};
            const uint8_t reg = wire[2];
            if (reg == 0x14)
                return {};
            const uint8_t value = values[reg - 0x13];
            return {Raw({0x59, reg, uint8_t(value & 0x0F), uint8_t(value >> 4)})};
        });
        QVERIFY(m_pPort->Connect(0));
        QCOMPARE(m_pPort->State(), int32_t(LINK_RAW));
        QCOMPARE(m_pPort->Identity().firmwareVersion, 0xFFFFFFFFu);
        QCOMPARE(m_pPort->Identity().productId, 10003u);
        QCOMPARE(m_pPort->Identity().reservedId, 7u);
        const auto sent = m_pBackend->Sent();
        QCOMPARE(HexBytes(sent[1].data(), sent[1].size()), QString("F0 59 12 00 34 F7"));
        // 0x13, 0x14 (silent, so 0x15 and 0x16 are skipped), then 0x17..0x1E.
        QCOMPARE(sent.size(), size_t(2 + 2 + 8));
        QCOMPARE(HexBytes(sent[4].data(), sent[4].size()), QString("F0 59 17 00 00 F7"));
    }

    void silentDeviceLeavesLinkClosed()
    {
        QVERIFY(!m_pPort->Connect(0));
        QCOMPARE(m_pPort->State(), int32_t(LINK_CLOSED));
        QVERIFY(!m_pPort->CheckAlive());
        QVERIFY(!m_pPort->EraseSector(1, 0));
        QCOMPARE(m_pBackend->Sent().size(), size_t(2));
    }

    void probeReplyChecks_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("message");
        Bytes wrongSum = ProbeReply();
        wrongSum.back() ^= 0x01;
        Bytes otherCommand = ProbeReply();
        otherCommand[2] = 0x12;
        Bytes overLong = ProbeReply();
        Bytes shortReply = ProbeReply();
        shortReply.resize(20);
        overLong[3] = 60;
        QTest::newRow("short") << HexBytes(shortReply) << "Data length error";
        QTest::newRow("command") << HexBytes(otherCommand) << "Cmd type error";
        QTest::newRow("checksum") << HexBytes(wrongSum)
                                  << QString::asprintf("Checksum错误,算出来是%.2X, 包内校验是%.2X",
                                                       ProbeReply().back(), wrongSum.back());
        QTest::newRow("length field past reply")
            << HexBytes(overLong) << "Data length error,need 67 bytes,got 34 bytes";
    }
    void probeReplyChecks()
    {
        QFETCH(QString, reply);
        QFETCH(QString, message);
        ConnectNormal();
        CRecordingPresenter presenter;
        const Bytes bytes = BytesFromHex(reply);
        Respond([bytes](const Bytes &) -> std::vector<Bytes> { return {bytes}; });
        QVERIFY(!m_pPort->Probe(50));
        QCOMPARE(presenter.texts, QStringList{message});
    }

    void eraseFrameAndStatus()
    {
        ConnectNormal();
        CRecordingPresenter presenter;
        Respond([](const Bytes &) -> std::vector<Bytes> { return {STATUS_DONE}; });
        QVERIFY(m_pPort->EraseSector(1, 0x00010000));
        QCOMPARE(HexBytes(Unpacked(m_pBackend->Sent().back())),
                 QString("00 59 21 05 00 00 01 00 00 01 00 FD"));

        Respond([](const Bytes &) -> std::vector<Bytes> { return {STATUS_REFUSED}; });
        QVERIFY(!m_pPort->EraseSector(1, 0));
        QVERIFY(presenter.texts.isEmpty());

        Respond([](const Bytes &) -> std::vector<Bytes> {
            return {Bytes(STATUS_DONE.begin(), STATUS_DONE.begin() + 5)};
        });
        QVERIFY(!m_pPort->EraseSector(1, 0));
        QCOMPARE(presenter.Take(), QStringList{QString::fromUtf8("读取回复码长度错误,需要8字节,收到5字节")});

        // Silence for the whole 30 s budget fails without a message.
        Respond([](const Bytes &) -> std::vector<Bytes> { return {}; });
        QVERIFY(!m_pPort->EraseSector(1, 0));
        QVERIFY(presenter.texts.isEmpty());
        QCOMPARE(m_pPort->State(), int32_t(LINK_NORMAL));
    }

    void staleReplyIsNotTakenForTheNextAnswer()
    {
        ConnectNormal();
        Respond([](const Bytes &) -> std::vector<Bytes> { return {STATUS_REFUSED}; });
        m_pBackend->Deliver(Packed(STATUS_DONE));
        m_pBackend->WaitDelivered();
        QVERIFY(!m_pPort->EraseSector(1, 0));
    }

    void writeInChunksWithProgress()
    {
        ConnectNormal();
        std::vector<Bytes> requests;
        Respond([&requests](const Bytes &request) -> std::vector<Bytes> {
            requests.push_back(request);
            return {STATUS_DONE};
        });
        Bytes data(5121);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = uint8_t(i * 13);
        CProgressSink sink;
        QVERIFY(m_pPort->WriteData(1, 0x40000, data.data(), uint32_t(data.size()), &sink));
        QCOMPARE(requests.size(), size_t(2));
        QCOMPARE(requests[0].size(), size_t(5135));
        QCOMPARE(HexBytes(requests[0].data(), 14), QString("00 59 22 08 14 00 01 00 00 04 00 00 14 00"));
        QVERIFY(std::equal(data.begin(), data.begin() + 5120, requests[0].begin() + 14));
        QCOMPARE(requests[1], Frame(0x22, {0x01, 0x00, 0x14, 0x04, 0x00, 0x01, 0x00, 0x00, data[5120]}));
        QCoreApplication::processEvents();
        QCOMPARE(sink.events, (QList<QPair<qint64, qint64>>{{1, 2}, {2, 2}}));

        requests.clear();
        QVERIFY(m_pPort->WriteData(1, 0, data.data(), 0, &sink));
        QVERIFY(requests.empty());
    }

    void writeVerifyResults_data()
    {
        QTest::addColumn<int>("sumOffset");
        QTest::addColumn<bool>("answerChecksum");
        QTest::addColumn<int>("result");
        QTest::newRow("equal sum") << 0 << true << int(WRITE_RESULT_OK);
        QTest::newRow("other sum") << 1 << true << int(WRITE_RESULT_VERIFY_FAILED);
        QTest::newRow("no checksum reply") << 0 << false << int(WRITE_RESULT_TIMEOUT);
    }
    void writeVerifyResults()
    {
        QFETCH(int, sumOffset);
        QFETCH(bool, answerChecksum);
        QFETCH(int, result);
        ConnectNormal();
        const Bytes data(300, 0xEE);
        const uint16_t sum = uint16_t(300 * 0xEE + sumOffset);
        Bytes checksumRequest;
        Respond([&](const Bytes &request) -> std::vector<Bytes> {
            if (request[2] != 0x24)
                return {STATUS_DONE};
            checksumRequest = request;
            if (!answerChecksum)
                return {};
            Bytes payload(request.begin() + 6, request.begin() + 15);
            payload.push_back(uint8_t(sum));
            payload.push_back(uint8_t(sum >> 8));
            return {Frame(0x24, payload)};
        });
        QCOMPARE(m_pPort->WriteVerify(2, 0x1000, data.data(), uint32_t(data.size()), nullptr), result);
        QCOMPARE(HexBytes(checksumRequest), QString("00 59 24 09 00 00 02 00 10 00 00 2C 01 00 00 C0"));
    }

    void readInChunks()
    {
        ConnectNormal();
        std::vector<Bytes> requests;
        Respond([&requests](const Bytes &request) -> std::vector<Bytes> {
            requests.push_back(request);
            return {ReadReply(request)};
        });
        Bytes destination(1010, 0);
        QVERIFY(m_pPort->ReadData(1, 0x100, destination.data(), 1009));
        QCOMPARE(requests.size(), size_t(1));
        QCOMPARE(HexBytes(requests[0]), QString("00 59 23 08 00 00 01 00 01 00 00 F1 03 00 09"));
        requests.clear();
        QVERIFY(m_pPort->ReadData(1, 0x100, destination.data(), 1010));
        QCOMPARE(requests.size(), size_t(2));
        QCOMPARE(HexBytes(requests[1].data() + 6, 8), QString("01 F1 04 00 00 01 00 00"));
        for (uint32_t i = 0; i < 1010; ++i)
            QCOMPARE(destination[i], uint8_t(0x100 + i));
    }

    void readReplyChecks_data()
    {
        QTest::addColumn<int>("damage");
        QTest::addColumn<QString>("message");
        QTest::newRow("command byte") << 0 << "";
        QTest::newRow("short") << 1 << "Data length error,need 115 bytes,got 60 bytes";
        QTest::newRow("checksum") << 2 << "checksum";
        QTest::newRow("other address") << 3 << "";
        QTest::newRow("count over chunk") << 4 << "";
        QTest::newRow("length field past reply") << 5 << "Data length error,need 123 bytes,got 115 bytes";
    }
    void readReplyChecks()
    {
        QFETCH(int, damage);
        QFETCH(QString, message);
        ConnectNormal();
        CRecordingPresenter presenter;
        Respond([damage](const Bytes &request) -> std::vector<Bytes> {
            Bytes reply = ReadReply(request);
            switch (damage) {
            case 0:
                reply[2] = 0x22;
                break;
            case 1:
                reply.resize(60);
                break;
            case 2:
                reply.back() ^= 0xFF;
                break;
            case 3:
                reply = ReadReply(Frame(0x23, {1, 0x01, 0x01, 0, 0, 100, 0, 0}));
                break;
            case 4:
                reply = CountOverChunkReply();
                break;
            default:
                reply[3] += 8;
                break;
            }
            return {reply};
        });
        Bytes destination(100, 0x55);
        QVERIFY(!m_pPort->ReadData(1, 0x100, destination.data(), 100));
        if (message == "checksum")
            QVERIFY(presenter.texts.value(0).startsWith(QString::fromUtf8("Checksum错误")));
        else
            QCOMPARE(presenter.texts, message.isEmpty() ? QStringList() : QStringList{message});
        if (damage == 4)
            QCOMPARE(destination, Bytes(100, 0x55));
    }

private:
    void Respond(std::function<std::vector<Bytes>(const Bytes &)> handler)
    {
        m_pBackend->SetResponder([handler](const Wire &wire) {
            std::vector<Wire> replies;
            for (const Bytes &reply : handler(Unpacked(wire)))
                replies.push_back(Packed(reply));
            return replies;
        });
    }
    void ConnectNormal()
    {
        Respond([](const Bytes &request) -> std::vector<Bytes> {
            if (request[2] == 0x11)
                return {ProbeReply()};
            return {ReadReply(request)};
        });
        QVERIFY(m_pPort->Connect(0));
        QCOMPARE(m_pPort->State(), int32_t(LINK_NORMAL));
    }

    std::shared_ptr<CLoopbackBackend> m_pBackend;
    std::unique_ptr<CUSBPort> m_pPort;
};

QTEST_GUILESS_MAIN(TestUSBPort)
#include "tst_usbport.moc"
