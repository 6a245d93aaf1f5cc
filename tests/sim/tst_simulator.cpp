#include "CSimBus.h"
#include "CSimulatorBackend.h"
#include "HexBytes.h"
#include "MidiBackendChoice.h"
#include "UsbWireTime.h"

#include <QTemporaryDir>
#include <QtTest>

#include <thread>

namespace {
SimBytes Wire(const QString &hex)
{
    return BytesFromHex(hex);
}
} // namespace

// The simulator checked by itself with hand-made wire bytes, so that it is an honest instrument.
class TestSimulator : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { CSimBus::Instance().Clear(); }

    void flashOnlyClearsBits()
    {
        CSimFlash flash;
        flash.SetEraseSize(1, 0x20000);
        QCOMPARE(HexBytes(flash.Read(1, 0x7FFFFFF0, 2)), QString("FF FF"));
        const uint8_t first[] = {0x0F, 0xF0};
        flash.Program(1, 0x20010, first, 2);
        QVERIFY(flash.Faults().empty());
        const uint8_t second[] = {0x01, 0xFF};
        flash.Program(1, 0x20010, second, 2);
        QCOMPARE(HexBytes(flash.Read(1, 0x20010, 2)), QString("01 F0"));
        QCOMPARE(flash.Faults().size(), size_t(1));
        QCOMPARE(flash.Faults()[0].address, 0x20011u);
        QCOMPARE(flash.Faults()[0].oldByte, uint8_t(0xF0));

        flash.Erase(1, 0x3FFFF);
        QCOMPARE(HexBytes(flash.Read(1, 0x20010, 2)), QString("FF FF"));
        QCOMPARE(flash.Operations().back().address, 0x20000u);
        QCOMPARE(flash.Operations().back().length, 0x20000u);
        QCOMPARE(flash.Operations().back().requested, 0x3FFFFu);
        QCOMPARE(flash.Sum(1, 0x20000, 4), uint16_t(4 * 0xFF));
    }

    // Kept across a save and a load; held by one user at a time.
    void flashSurvivesSaveAndLoad()
    {
        QTemporaryDir dir;
        const std::string path = dir.filePath("flash.bin").toStdString();
        std::string errorText;
        CSimFlash flash, loaded;
        flash.Poke(3, 0xFFFFFFFE, {0x12, 0x34, 0x56});
        CSimFlashFile saved, file;
        QVERIFY(saved.Open(path, flash, errorText) && saved.IsNew() && saved.Save(flash, errorText));
        saved.Close();
        QVERIFY(file.Open(path, loaded, errorText) && !file.IsNew());
        QCOMPARE(HexBytes(loaded.Read(3, 0xFFFFFFFD, 4)), QString("FF 12 34"));
        QVERIFY(!saved.Open(path, loaded, errorText) &&
                errorText.find("is in use by another") != std::string::npos);
    }

    void answersTheProtocolWorkedExamples()
    {
        CSimDevice device(SSimDeviceConfig{});
        const auto probe = device.HandleMessage(Wire("F0 00 32 45 00 00 00 40 7F F7"));
        QCOMPARE(probe.size(), size_t(1));
        QCOMPARE(probe[0].size(), size_t(2 + (34 * 8 + 6) / 7));

        const auto identity = device.HandleMessage(PackedOf("00 59 23 08 00 00 00 80 21 00 00 10 00 00 4E"));
        QCOMPARE(
            HexBytes(SimWire::UnpackBody(identity.at(0))),
            QString(
                "00 59 23 18 00 00 00 80 21 00 00 10 00 00 03 02 01 00 13 27 00 00 00 00 00 00 00 00 00 00 "
                "0E"));
        // A frame with a wrong checksum is refused with status 1.
        const auto refused = device.HandleMessage(PackedOf("00 59 21 05 00 00 01 00 00 01 00 FE"));
        QCOMPARE(HexBytes(SimWire::UnpackBody(refused.at(0))), QString("00 59 00 01 00 00 01 FE"));
        QCOMPARE(device.Requests().size(), size_t(3));
        QCOMPARE(device.Requests()[1].address, 0x2180u);
    }

    void rawModeAnswersEchoAndRegisters()
    {
        SSimDeviceConfig config;
        config.mode = SIM_MODE_RAW;
        config.productId = 10004;
        CSimDevice device(config);
        QVERIFY(device.HandleMessage(Wire("F0 00 32 45 00 00 00 40 7F F7")).empty());
        QCOMPARE(HexBytes(device.HandleMessage(Wire("F0 59 12 00 34 F7")).at(0)),
                 QString("F0 59 12 00 34 F7"));
        // Product 10004 is 0x2714: register 0x17 holds 0x14.
        QCOMPARE(HexBytes(device.HandleMessage(Wire("F0 59 17 00 00 F7")).at(0)),
                 QString("F0 59 17 04 01 F7"));
    }

    void faultsFireOnTheNamedRequest()
    {
        CSimDevice device(SSimDeviceConfig{});
        device.SetFault({SIM_FAULT_ERROR_STATUS, 2, 0x21, false, 0});
        const SimBytes erase = PackedOf("00 59 21 05 00 00 01 00 00 02 00 FC");
        QCOMPARE(StatusOf(device.HandleMessage(erase)), uint8_t(0x00));
        QCOMPARE(StatusOf(device.HandleMessage(PackedOf("00 59 11 00 00 00 FF"))), uint8_t(0x11));
        device.Flash().ClearLog();
        QCOMPARE(StatusOf(device.HandleMessage(erase)), uint8_t(0x01));
        QVERIFY(device.Flash().Operations().empty());
        QCOMPARE(StatusOf(device.HandleMessage(erase)), uint8_t(0x00));
    }

    void faultsCountTheirOwnRequests()
    {
        CSimDevice device(SSimDeviceConfig{});
        device.SetFault({SIM_FAULT_ERROR_STATUS, 1, -1, false, 0});
        device.SetFault({SIM_FAULT_WRONG_COMMAND, 2, -1, false, 0});
        const SimBytes probe = PackedOf("00 59 11 00 00 00 FF");
        QCOMPARE(StatusOf(device.HandleMessage(probe)), uint8_t(0x01));
        QCOMPARE(StatusOf(device.HandleMessage(probe)), uint8_t(0x10));
        QCOMPARE(StatusOf(device.HandleMessage(probe)), uint8_t(0x11));
    }

    // A cut program leaves a prefix, a cut erase a mix of erased and old bytes, both the same for
    // the same seed; the looper then answers nothing, and one plugged back in has that flash.
    void powerCutTearsTheRequestAndSilencesTheLooper()
    {
        QTemporaryDir dir;
        SSimDeviceConfig config;
        config.flashFile = dir.filePath("flash.bin").toStdString();
        const SimBytes data(5120, 0x5A);
        std::vector<uint32_t> programmed;
        for (uint32_t seed = 1; seed <= 3; ++seed) {
            CSimDevice device(config);
            device.SetPowerCut({2, seed});
            QCOMPARE(StatusOf(device.HandleMessage(WriteFrame(0x100000 * seed, data))), uint8_t(0x00));
            QVERIFY(device.HandleMessage(WriteFrame(0x40000 + 0x2000 * seed, data)).empty());
            QVERIFY(device.PoweredOff());
            QVERIFY(device.HandleMessage(PackedOf("00 59 11 00 00 00 FF")).empty());
            programmed.push_back(ProgrammedPrefix(device.Flash(), 0x40000 + 0x2000 * seed));
            QVERIFY(programmed.back() < 5120);
        }
        QVERIFY(programmed[0] != programmed[1] || programmed[1] != programmed[2]);

        CSimDevice pluggedIn(config);
        QCOMPARE(ProgrammedPrefix(pluggedIn.Flash(), 0x40000 + 0x2000), programmed[0]);
        pluggedIn.SetPowerCut({1, 7});
        QVERIFY(pluggedIn.HandleMessage(PackedOf("00 59 21 05 00 00 01 00 00 10 00 EE")).empty());
        const SimBytes sector = pluggedIn.Flash().Read(1, 0x100000, 5120);
        const auto erased = std::count(sector.begin(), sector.end(), 0xFF);
        QVERIFY(std::count(sector.begin(), sector.end(), 0x5A) + erased == 5120);
        QVERIFY(erased > 0 && erased < 5120);

        CSimDevice again(config, pluggedIn.Flash());
        QCOMPARE(again.Flash().Read(1, 0x100000, 5120), sector);
        QCOMPARE(StatusOf(again.HandleMessage(PackedOf("00 59 11 00 00 00 FF"))), uint8_t(0x11));
    }

    void backendDeliversFromItsOwnThread()
    {
        auto device = std::make_shared<CSimDevice>(SSimDeviceConfig{});
        CSimBus::Instance().Attach(device);
        CSimBus::Instance().AddLonePort("Lonely", true);
        CSimulatorBackend backend;
        auto input = backend.CreateInput("test", 100);
        auto output = backend.CreateOutput("test");
        QCOMPARE(input->getPortCount(), 2u);
        QCOMPARE(output->getPortCount(), 1u);
        QCOMPARE(input->getPortName(1), std::string("Lonely"));
        QVERIFY_EXCEPTION_THROWN(output->openPort(1, "x"), RtMidiError);

        static std::thread::id callbackThread;
        static std::atomic<int> calls(0);
        input->setCallback(
            [](double, std::vector<unsigned char> *, void *) {
                callbackThread = std::this_thread::get_id();
                ++calls;
            },
            nullptr);
        input->openPort(0, "in");
        output->openPort(0, "out");
        const SimBytes probe = Wire("F0 00 32 45 00 00 00 40 7F F7");
        output->sendMessage(probe.data(), probe.size());
        QTRY_VERIFY(CSimBus::Instance().Idle());
        QCOMPARE(calls.load(), 1);
        QVERIFY(callbackThread != std::this_thread::get_id());

        CSimBus::Instance().Unplug(device);
        QCOMPARE(output->getPortCount(), 0u);
        QVERIFY_EXCEPTION_THROWN(output->sendMessage(probe.data(), probe.size()), RtMidiError);
        CSimBus::Instance().Replug(device);
        QCOMPARE(output->getPortCount(), 1u);
    }

    void idleClockRunsFastOnlyWhenNothingIsPending()
    {
        const uint64_t start = SimulatedIdleMilliseconds();
        for (int i = 0; i < 30000; ++i)
            SimulatedIdleMilliseconds();
        QVERIFY(SimulatedIdleMilliseconds() - start >= 30000);
    }

    void usbWireTimeCountsBulkPackets_data()
    {
        QTest::addColumn<int>("wireBytes");
        QTest::addColumn<int>("bulkPackets");
        QTest::newRow("nothing") << 0 << 0;
        QTest::newRow("one byte, one event") << 1 << 1;
        QTest::newRow("16 events fill one packet") << 48 << 1;
        QTest::newRow("the 17th event opens a second") << 49 << 2;
        QTest::newRow("one whole frame") << 912 << 19;
        QTest::newRow("largest read reply") << 1173 << 25;
    }
    void usbWireTimeCountsBulkPackets()
    {
        QFETCH(int, wireBytes);
        QFETCH(int, bulkPackets);
        QCOMPARE(UsbFullSpeedTime(size_t(wireBytes)).count(), int64_t(bulkPackets) * 1000000 / 19);
    }

    // The probe and its reply are held back by their own wire time, and only when paced.
    void pacedWireHoldsBackRequestAndReply()
    {
        qputenv("BRINDLE_SIM_WIRE", "usb-fs");
        QString errorText;
        QVERIFY(ChooseMidiBackend("simulator", errorText));
        auto input = MidiBackend()->CreateInput("test", 100);
        auto output = MidiBackend()->CreateOutput("test");
        static std::atomic<size_t> replyBytes(0);
        input->setCallback(
            [](double, std::vector<unsigned char> *message, void *) { replyBytes = message->size(); },
            nullptr);
        input->openPort(0, "in");
        output->openPort(0, "out");
        const SimBytes probe = Wire("F0 00 32 45 00 00 00 40 7F F7");
        const auto wireBefore = CSimBus::Instance().WireTime();
        const auto start = std::chrono::steady_clock::now();
        output->sendMessage(probe.data(), probe.size());
        QTRY_VERIFY(CSimBus::Instance().Idle());
        const auto charged = CSimBus::Instance().WireTime() - wireBefore;
        QCOMPARE(charged.count(), (UsbFullSpeedTime(probe.size()) + UsbFullSpeedTime(replyBytes)).count());
        QVERIFY(std::chrono::steady_clock::now() - start >= charged);

        qputenv("BRINDLE_SIM_WIRE", "usb-hs");
        QVERIFY(!ChooseMidiBackend("simulator", errorText));
        QCOMPARE(errorText, QString("bad simulator setting: BRINDLE_SIM_WIRE=usb-hs (see README)"));
        qunsetenv("BRINDLE_SIM_WIRE");
        // A model named, so that the user's demo looper is not the one started here.
        qputenv("BRINDLE_SIM_MODEL", "10003");
        QVERIFY(ChooseMidiBackend("simulator", errorText));
        qunsetenv("BRINDLE_SIM_MODEL");
        input->openPort(0, "in");
        output->openPort(0, "out");
        output->sendMessage(probe.data(), probe.size());
        QTRY_VERIFY(CSimBus::Instance().Idle());
        QCOMPARE(CSimBus::Instance().WireTime().count(), (wireBefore + charged).count());
        SetMidiBackend(nullptr);
    }

private:
    static SimBytes WriteFrame(uint32_t address, const SimBytes &data)
    {
        SimBytes payload{0x01};
        SimWire::Put32(payload, address);
        SimWire::Put24(payload, uint32_t(data.size()));
        payload.insert(payload.end(), data.begin(), data.end());
        return SimWire::PackedMessage(SimWire::Frame(0x22, payload));
    }
    static uint32_t ProgrammedPrefix(const CSimFlash &flash, uint32_t address)
    {
        const SimBytes bytes = flash.Read(1, address, 5120);
        return uint32_t(std::find(bytes.begin(), bytes.end(), 0xFF) - bytes.begin());
    }
    static SimBytes PackedOf(const QString &frame) { return SimWire::PackedMessage(BytesFromHex(frame)); }
    // Status byte of a status reply, or the command byte of any other reply.
    static uint8_t StatusOf(const std::vector<SimBytes> &replies)
    {
        const SimBytes body = SimWire::UnpackBody(replies.at(0));
        return body[2] == 0x00 ? body[6] : body[2];
    }
};

QTEST_GUILESS_MAIN(TestSimulator)
#include "tst_simulator.moc"
