#include "CRecordingPresenter.h"
#include "CSimBus.h"
#include "CSimulatorBackend.h"
#include "CUSBPort.h"
#include "MillisecondClock.h"

#include <QtTest>

namespace {
const int PROBE = 0x11;
// Between the 50 ms of a liveness check and the 200 ms of a connection, with room on both sides
// for a reply or a receiver that a busy machine holds up.
const int PROBE_DELAY_MS = 120;
} // namespace

// The device port against the looper simulator: identification in each mode, round trips
// checked against the simulated flash, and every reply fault the device can produce.
class TestUSBPortSim : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        SetMidiBackend(std::make_shared<CSimulatorBackend>());
        SetMillisecondSource(&SimulatedIdleMilliseconds);
    }
    void cleanup()
    {
        m_pPort.reset();
        CSimBus::Instance().Clear();
        SetMillisecondSource(&SimulatedIdleMilliseconds);
    }

    void connectsInEachMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("state");
        QTest::newRow("normal") << int(SIM_MODE_NORMAL) << int(LINK_NORMAL);
        QTest::newRow("raw") << int(SIM_MODE_RAW) << int(LINK_RAW);
        QTest::newRow("silent") << int(SIM_MODE_SILENT) << int(LINK_CLOSED);
    }
    void connectsInEachMode()
    {
        QFETCH(int, mode);
        QFETCH(int, state);
        SSimDeviceConfig config;
        config.mode = ESimMode(mode);
        config.productId = 10002;
        Attach(config);
        QCOMPARE(m_pPort->Connect(0), state != LINK_CLOSED);
        QCOMPARE(int(m_pPort->State()), state);
        if (state != LINK_CLOSED)
            QCOMPARE(m_pPort->Identity().productId, 10002u);
        QCOMPARE(m_pPort->CheckAlive(), state != LINK_CLOSED);
    }

    void rawValueWithASilentRegisterIsLost()
    {
        SSimDeviceConfig config;
        config.mode = SIM_MODE_RAW;
        Attach(config)->SetFault({SIM_FAULT_SILENCE, 3, 0, false, 0});
        QVERIFY(m_pPort->Connect(0));
        QCOMPARE(m_pPort->Identity().firmwareVersion, 0xFFFFFFFFu);
        QCOMPARE(m_pPort->Identity().productId, 10003u);
        QCOMPARE(m_pPort->Identity().reservedId, 0u);
    }

    void roundTripsThroughTheFlash()
    {
        auto device = ConnectNormal();
        std::vector<uint8_t> data(12000);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = uint8_t(i * 7 + 3);
        QVERIFY(m_pPort->EraseSector(1, 0x20000));
        QCOMPARE(m_pPort->WriteVerify(1, 0x20000 + 100, data.data(), uint32_t(data.size()), nullptr),
                 int(WRITE_RESULT_OK));
        QCOMPARE(device->Flash().Read(1, 0x20000 + 100, uint32_t(data.size())), data);
        std::vector<uint8_t> back(data.size());
        QVERIFY(m_pPort->ReadData(1, 0x20000 + 100, back.data(), uint32_t(back.size())));
        QCOMPARE(back, data);
        QVERIFY(device->Flash().Faults().empty());
        // Writing again over programmed bytes needs an erase first: the simulator records it.
        QCOMPARE(m_pPort->WriteVerify(1, 0x20000 + 100, std::vector<uint8_t>(10, 0xFF).data(), 10, nullptr),
                 int(WRITE_RESULT_VERIFY_FAILED));
        QVERIFY(!device->Flash().Faults().empty());
    }

    void verifyResultsFollowTheChecksumReply()
    {
        auto device = ConnectNormal();
        const std::vector<uint8_t> data(300, 0x5A);
        device->SetFault({SIM_FAULT_WRONG_SUM, 1, 0x24, false, 0});
        QCOMPARE(m_pPort->WriteVerify(2, 0, data.data(), 300, nullptr), int(WRITE_RESULT_VERIFY_FAILED));
        device->SetFault({SIM_FAULT_SILENCE, 1, 0x24, false, 0});
        QCOMPARE(m_pPort->WriteVerify(2, 0x1000, data.data(), 300, nullptr), int(WRITE_RESULT_TIMEOUT));
        device->SetFault({SIM_FAULT_ERROR_STATUS, 2, 0x22, false, 0});
        QCOMPARE(m_pPort->WriteVerify(2, 0x2000, std::vector<uint8_t>(6000).data(), 6000, nullptr),
                 int(WRITE_RESULT_FAILED));
    }

    void readReplyFaultsAreReported_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("wrong command") << int(SIM_FAULT_WRONG_COMMAND) << "";
        QTest::newRow("short") << int(SIM_FAULT_SHORT_REPLY)
                               << "Data length error,need 115 bytes,got 57 bytes";
        QTest::newRow("long length field")
            << int(SIM_FAULT_LONG_LENGTH) << "Data length error,need 131 bytes,got 115 bytes";
        QTest::newRow("bad checksum") << int(SIM_FAULT_BAD_CHECKSUM) << QString::fromUtf8("Checksum错误");
        QTest::newRow("error status") << int(SIM_FAULT_ERROR_STATUS) << "";
        QTest::newRow("silence") << int(SIM_FAULT_SILENCE) << "";
    }
    void readReplyFaultsAreReported()
    {
        QFETCH(int, kind);
        QFETCH(QString, message);
        auto device = ConnectNormal();
        CRecordingPresenter presenter;
        device->SetFault({ESimFaultKind(kind), 1, 0x23, false, 0});
        std::vector<uint8_t> back(100, 0x77);
        QVERIFY(!m_pPort->ReadData(1, 0, back.data(), 100));
        if (message.isEmpty())
            QCOMPARE(presenter.texts, QStringList());
        else
            QVERIFY2(presenter.texts.value(0).startsWith(message), qPrintable(presenter.texts.join("|")));
        QCOMPARE(int(m_pPort->State()), int(LINK_NORMAL));
    }

    // A probe answered late: within the time a connection waits, past the time a liveness check
    // waits. The clock is the real one: the delay is slept in real time. A receiver held up past
    // the reply picks it up when it comes back, so one refused check of a few proves the short
    // time-out.
    void probeTimeOutsOfConnectAndCheckAlive()
    {
        SetMillisecondSource(nullptr);
        auto device = Attach(SSimDeviceConfig());
        device->SetFault({SIM_FAULT_DELAY, 1, PROBE, false, PROBE_DELAY_MS});
        QVERIFY(m_pPort->Connect(0));
        bool refused = false;
        for (int attempt = 0; attempt < 5 && !refused; ++attempt) {
            QTRY_VERIFY(CSimBus::Instance().Idle());
            device->SetFault({SIM_FAULT_DELAY, 1, PROBE, false, PROBE_DELAY_MS});
            refused = !m_pPort->CheckAlive();
        }
        QVERIFY(refused);
        QTRY_VERIFY(CSimBus::Instance().Idle());
        QVERIFY(m_pPort->CheckAlive());
    }

    void staleReplyIsFlushed()
    {
        auto device = ConnectNormal();
        device->SetFault({SIM_FAULT_DELAY, 1, PROBE, false, 300});
        QVERIFY(!m_pPort->CheckAlive());
        QTRY_VERIFY(CSimBus::Instance().Idle());
        QVERIFY(m_pPort->EraseSector(1, 0));
    }

    void unpluggedDeviceFailsTheExchange()
    {
        auto device = ConnectNormal();
        device->SetFault({SIM_FAULT_REMOVE_PORTS, 1, 0x21, false, 0});
        QVERIFY(!m_pPort->EraseSector(1, 0));
        QVERIFY(!m_pPort->EraseSector(1, 0));
        QVERIFY(!m_pPort->GetLastErrorText().isEmpty());
    }

private:
    std::shared_ptr<CSimDevice> Attach(const SSimDeviceConfig &config)
    {
        auto device = std::make_shared<CSimDevice>(config);
        CSimBus::Instance().Attach(device);
        m_pPort.reset(new CUSBPort);
        return device;
    }
    std::shared_ptr<CSimDevice> ConnectNormal()
    {
        auto device = Attach(SSimDeviceConfig());
        if (!m_pPort->Connect(0))
            qFatal("the simulated looper did not answer");
        return device;
    }

    std::unique_ptr<CUSBPort> m_pPort;
};

QTEST_GUILESS_MAIN(TestUSBPortSim)
#include "tst_usbport_sim.moc"
