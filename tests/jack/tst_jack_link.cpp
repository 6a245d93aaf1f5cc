#include "CMidiLink.h"
#include "CRtMidiBackend.h"
#include "CSimJackBridge.h"
#include "CUSBPort.h"

#include <QProcess>
#include <QtTest>

#include <atomic>
#include <mutex>

namespace {

bool JackServerRunning()
{
    QProcess probe;
    probe.start("jack_lsp", QStringList());
    return probe.waitForFinished(5000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
}

int PortIndex(unsigned int count, const std::function<std::string(unsigned int)> &name,
              const std::string &part)
{
    for (unsigned int i = 0; i < count; ++i) {
        if (name(i).find(part) != std::string::npos)
            return int(i);
    }
    return -1;
}

// A JACK MIDI peer outside the program: whatever reaches its input goes back out of its output,
// and every callback's message size is kept, so the test sees how the library delivered it.
class CJackEcho {
public:
    CJackEcho() : m_output(RtMidi::UNIX_JACK, "BrindleEchoOut"), m_input(RtMidi::UNIX_JACK, "BrindleEcho")
    {
        m_input.ignoreTypes(false, false, false);
        m_input.setCallback(&CJackEcho::OnMessage, this);
        m_input.openVirtualPort("echo in");
        m_output.openVirtualPort("echo out");
    }
    std::vector<size_t> Sizes()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_sizes;
    }

private:
    static void OnMessage(double, std::vector<unsigned char> *message, void *self)
    {
        auto *echo = static_cast<CJackEcho *>(self);
        {
            std::lock_guard<std::mutex> lock(echo->m_mutex);
            echo->m_sizes.push_back(message->size());
        }
        echo->m_output.sendMessage(message);
    }

    std::mutex m_mutex;
    std::vector<size_t> m_sizes;
    // The input's callback sends on the output: the input goes first.
    RtMidiOut m_output;
    RtMidiIn m_input;
};

} // namespace

class TestJackLink : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!JackServerRunning())
            QSKIP("no JACK server is running (test.sh starts jackd -d dummy for this test)");
    }
    void cleanup() { SetMidiBackend(nullptr); }

    void defaultApiFallsBackToJack()
    {
        // Without an ALSA sequencer the library's default throws; the backend must go on to JACK.
        CRtMidiBackend backend(RtMidi::UNSPECIFIED);
        std::unique_ptr<CMidiOutput> output;
        try {
            output = backend.CreateOutput("RtMidi Output Client");
        } catch (const RtMidiError &error) {
            QFAIL(error.what());
        }
        QVERIFY(output);
        if (QFile::exists("/dev/snd/seq"))
            QSKIP("this machine has an ALSA sequencer, so the default API works without fallback");
        QCOMPARE(int(backend.CurrentApi()), int(RtMidi::UNIX_JACK));
    }

    void largestFrameCrossesJackWhole()
    {
        SetMidiBackend(std::make_shared<CRtMidiBackend>(RtMidi::UNIX_JACK));
        CJackEcho echo;
        CMidiLink link;
        OpenEchoPorts(link);

        std::vector<uint8_t> body(5135);
        for (size_t i = 0; i < body.size(); ++i)
            body[i] = uint8_t(i * 101 + 7);
        QVERIFY(link.Send(body.data(), uint32_t(body.size())));
        std::vector<uint8_t> received(8192);
        const uint32_t count = link.Receive(received.data(), uint32_t(received.size()), 5000);
        QCOMPARE(count, uint32_t(body.size()));
        QVERIFY(std::equal(body.begin(), body.end(), received.begin()));
        QCOMPARE(echo.Sizes(), std::vector<size_t>{5871});
        QCOMPARE(link.DroppedMessages(), 0u);
    }

    void deviceExchangesThroughJack()
    {
        SetMidiBackend(std::make_shared<CRtMidiBackend>(RtMidi::UNIX_JACK));
        auto device = std::make_shared<CSimDevice>(SSimDeviceConfig());
        CSimJackBridge bridge(device);
        std::string error;
        QVERIFY2(bridge.Open(error), error.c_str());
        auto probeOut = MidiBackend()->CreateOutput("probe");
        auto probeIn = MidiBackend()->CreateInput("probe", 100);
        const int output = PortIndex(
            probeOut->getPortCount(), [&](unsigned i) { return probeOut->getPortName(i); }, "looper in");
        const int input = PortIndex(
            probeIn->getPortCount(), [&](unsigned i) { return probeIn->getPortName(i); }, "looper out");
        QVERIFY(output >= 0 && input >= 0);

        CUSBPort port;
        QVERIFY2(port.Connect(uint32_t(output) << 16 | uint32_t(input)), qPrintable(port.GetLastErrorText()));
        QCOMPARE(int(port.State()), int(LINK_NORMAL));
        QCOMPARE(port.Identity().productId, 10003u);

        std::vector<uint8_t> data(12000);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = uint8_t(i * 11 + 1);
        QVERIFY(port.EraseSector(1, 0));
        QCOMPARE(port.WriteVerify(1, 0, data.data(), uint32_t(data.size()), nullptr), int(WRITE_RESULT_OK));
        QCOMPARE(device->Flash().Read(1, 0, uint32_t(data.size())), data);
        std::vector<uint8_t> back(data.size());
        QVERIFY(port.ReadData(1, 0, back.data(), uint32_t(back.size())));
        QCOMPARE(back, data);
    }

private:
    void OpenEchoPorts(CMidiLink &link)
    {
        auto probeOut = MidiBackend()->CreateOutput("probe");
        auto probeIn = MidiBackend()->CreateInput("probe", 100);
        const int output = PortIndex(
            probeOut->getPortCount(), [&](unsigned i) { return probeOut->getPortName(i); }, "echo in");
        const int input = PortIndex(
            probeIn->getPortCount(), [&](unsigned i) { return probeIn->getPortName(i); }, "echo out");
        QVERIFY(output >= 0 && input >= 0);
        QVERIFY2(link.OpenOutput(unsigned(output)), qPrintable(link.LastErrorText()));
        QVERIFY2(link.OpenInput(unsigned(input)), qPrintable(link.LastErrorText()));
        // JACK connects the ports on its next cycle.
        QTest::qWait(200);
    }
};

QTEST_GUILESS_MAIN(TestJackLink)
#include "tst_jack_link.moc"
