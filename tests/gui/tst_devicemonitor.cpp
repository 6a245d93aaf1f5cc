#include "BrindleQT.h"
#include "CDialogAnswerer.h"
#include "CSimBus.h"
#include "CSimDevice.h"
#include "SimulatedLoopers.h"

#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(QList<uint>)

namespace {

const char *const NO_DEVICE = "Brindle V1.2 - (No device connected !)";
const char *const UPDATE_MODE =
    "You should enter update mode first! For how to enter update mode, please refer to the manual";
const int PLUG_TIMEOUT_MS = 8000;
// The watcher counts the ports every 200 ms and the timer acts on a change every 1000 ms, so a
// plug shows within about 1250 ms; the rest is room for a loaded machine and the polling here.
const qint64 PLUG_RULE_MS = 1250 + 550;
const char *const LOAD_FAILED = "Load song info failed !";

struct SDeviceSpec {
    uint32_t productId;
    uint32_t version;
    int mode;
    bool identityReadable;
};

} // namespace

Q_DECLARE_METATYPE(SDeviceSpec)

// The connection monitor against simulated loopers: scan, identification, title, buttons, hot-plug.
class TestDeviceMonitor : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstScan_data();
    void firstScan();
    void hotPlug();
    void plugDuringOperationWaits();
    void repeatedWindows();

private:
    std::shared_ptr<CSimDevice> Attach(const SDeviceSpec &spec, const QString &strPort);
    void VerifyButtons(bool bEnabled, bool bLoadFailed = false);
    QString Title() const { return m_pWindow->windowTitle(); }

    std::unique_ptr<CDialogAnswerer> m_pAnswerer;
    std::unique_ptr<BrindleQT> m_pWindow;
};

void TestDeviceMonitor::initTestCase()
{
    UseSimulatedLoopersInWindow();
}

void TestDeviceMonitor::init()
{
    CSimBus::Instance().Clear();
    m_pAnswerer.reset(new CDialogAnswerer);
}

void TestDeviceMonitor::cleanup()
{
    m_pWindow.reset();
    QVERIFY2(m_pAnswerer->Failures().isEmpty(), qPrintable(m_pAnswerer->Failures().join("\n")));
    m_pAnswerer.reset();
    CSimBus::Instance().Clear();
}

std::shared_ptr<CSimDevice> TestDeviceMonitor::Attach(const SDeviceSpec &spec, const QString &strPort)
{
    SSimDeviceConfig config;
    config.portName = strPort.toStdString();
    config.productId = spec.productId;
    config.firmwareVersion = spec.version;
    config.mode = ESimMode(spec.mode);
    config.identityReadable = spec.identityReadable;
    auto pDevice = std::make_shared<CSimDevice>(config);
    CSimBus::Instance().Attach(pDevice);
    return pDevice;
}

// Connected, the five buttons follow the connection; a loaded (empty) song list then takes
// Upload and Delete back, since row 0 holds no song.
void TestDeviceMonitor::VerifyButtons(bool bEnabled, bool bLoadFailed)
{
    for (const char *name : {"m_btnUpload", "m_btnDownload", "m_btnDelete", "m_btnOpen", "m_btnUpdate"}) {
        const bool bSongButton = QByteArray(name) == "m_btnUpload" || QByteArray(name) == "m_btnDelete";
        const bool bExpected = bEnabled && (!bSongButton || bLoadFailed);
        auto *pButton = m_pWindow->findChild<QPushButton *>(name);
        QVERIFY2(pButton && pButton->isEnabled() == bExpected, name);
    }
}

void TestDeviceMonitor::firstScan_data()
{
    QTest::addColumn<QList<SDeviceSpec>>("devices");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("messages");
    const SDeviceSpec solo{10003, 0x00010203, SIM_MODE_NORMAL, true};
    const SDeviceSpec rig{10002, 0x7F0A0B0C, SIM_MODE_NORMAL, true};
    const SDeviceSpec silent{10003, 0x00010203, SIM_MODE_SILENT, true};
    const SDeviceSpec raw{10003, 0x00010203, SIM_MODE_RAW, true};
    QTest::newRow("no device") << QList<SDeviceSpec>{} << NO_DEVICE << QStringList();
    QTest::newRow("Corvel Solo") << QList<SDeviceSpec>{solo}
                                 << "Brindle V1.2 - (Connected - Corvel Solo, Ver=V1.2.3)" << QStringList();
    QTest::newRow("PULSE RIG, top byte not shown")
        << QList<SDeviceSpec>{rig} << "Brindle V1.2 - (Connected - PULSE RIG, Ver=V10.11.12)"
        << QStringList();
    QTest::newRow("Corvel Double") << QList<SDeviceSpec>{{10004, 0x00020001, SIM_MODE_NORMAL, true}}
                                   << "Brindle V1.2 - (Connected - Corvel Double, Ver=V2.0.1)"
                                   << QStringList();
    QTest::newRow("unknown product") << QList<SDeviceSpec>{{4711, 0x00010203, SIM_MODE_NORMAL, true}}
                                     << "Brindle V1.2 - (Unknown device connected !)"
                                     << QStringList{LOAD_FAILED};
    QTest::newRow("identity unreadable")
        << QList<SDeviceSpec>{{10003, 0x00010203, SIM_MODE_NORMAL, false}}
        << "Brindle V1.2 - (Connected - Unknown Device, Ver=V255.255.255)" << QStringList{LOAD_FAILED};
    QTest::newRow("raw mode") << QList<SDeviceSpec>{raw} << NO_DEVICE << QStringList{UPDATE_MODE};
    QTest::newRow("silent") << QList<SDeviceSpec>{silent} << NO_DEVICE << QStringList{""};
    QTest::newRow("two devices, the last stays")
        << QList<SDeviceSpec>{rig, solo} << "Brindle V1.2 - (Connected - Corvel Solo, Ver=V1.2.3)"
        << QStringList();
    QTest::newRow("a later silent pair leaves the link closed")
        << QList<SDeviceSpec>{solo, silent} << NO_DEVICE << QStringList{""};
    QTest::newRow("raw then normal") << QList<SDeviceSpec>{raw, rig}
                                     << "Brindle V1.2 - (Connected - PULSE RIG, Ver=V10.11.12)"
                                     << QStringList{UPDATE_MODE};
}

void TestDeviceMonitor::firstScan()
{
    QFETCH(QList<SDeviceSpec>, devices);
    QFETCH(QString, title);
    QFETCH(QStringList, messages);
    for (int i = 0; i < devices.size(); ++i)
        Attach(devices[i], QStringLiteral("Brindle Looper %1").arg(i + 1));
    for (int i = 0; i < messages.size(); ++i)
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Ok));
    m_pWindow.reset(new BrindleQT);
    QVERIFY(m_pAnswerer->WaitForAll());
    QCOMPARE(m_pAnswerer->SeenTexts(), messages);
    for (const CDialogAnswerer::SSeenDialog &seen : m_pAnswerer->Seen()) {
        QCOMPARE(seen.strTitle, QString("Message"));
        QCOMPARE(seen.nButtons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
    QCOMPARE(Title(), title);
    VerifyButtons(title != NO_DEVICE, messages.contains(LOAD_FAILED));
}

void TestDeviceMonitor::hotPlug()
{
    auto pDevice = Attach({10003, 0x00010203, SIM_MODE_NORMAL, true}, "Brindle Looper");
    m_pWindow.reset(new BrindleQT);
    const QString strConnected = "Brindle V1.2 - (Connected - Corvel Solo, Ver=V1.2.3)";
    QCOMPARE(Title(), strConnected);
    auto *pList = m_pWindow->findChild<QListWidget *>("m_lstSong");
    pList->addItem("a row the disconnection must clear");
    // The watcher's first poll counts the ports present at start as a change; let that pass first.
    QTest::qWait(1300);

    QElapsedTimer clock;
    clock.start();
    CSimBus::Instance().Unplug(pDevice);
    QTRY_COMPARE_WITH_TIMEOUT(Title(), QString(NO_DEVICE), PLUG_TIMEOUT_MS);
    QVERIFY2(clock.elapsed() <= PLUG_RULE_MS,
             qPrintable(QString("unplug shown after %1 ms").arg(clock.elapsed())));
    VerifyButtons(false);
    QCOMPARE(pList->count(), 0);

    clock.restart();
    CSimBus::Instance().Replug(pDevice);
    QTRY_COMPARE_WITH_TIMEOUT(Title(), strConnected, PLUG_TIMEOUT_MS);
    QVERIFY2(clock.elapsed() <= PLUG_RULE_MS,
             qPrintable(QString("replug shown after %1 ms").arg(clock.elapsed())));
    VerifyButtons(true);
    QVERIFY(m_pAnswerer->Seen().isEmpty());
}

// A port change during a long operation is acted upon only once the operation has ended.
void TestDeviceMonitor::plugDuringOperationWaits()
{
    auto pDevice = Attach({10002, 0x00010203, SIM_MODE_NORMAL, true}, "Brindle Looper");
    m_pWindow.reset(new BrindleQT);
    const QString strConnected = Title();
    QVERIFY(strConnected.contains("PULSE RIG"));
    QTest::qWait(1300);
    m_pWindow->BeginOperation(OP_DOWNLOAD);
    CSimBus::Instance().Unplug(pDevice);
    QTest::qWait(1600);
    QCOMPARE(Title(), strConnected);
    m_pWindow->EndOperation();
    QTRY_COMPARE_WITH_TIMEOUT(Title(), QString(NO_DEVICE), PLUG_TIMEOUT_MS);
}

void TestDeviceMonitor::repeatedWindows()
{
    Attach({10003, 0x00010203, SIM_MODE_NORMAL, true}, "Brindle Looper");
    for (int i = 0; i < 4; ++i) {
        m_pWindow.reset(new BrindleQT);
        QVERIFY(Title().contains("Corvel Solo"));
        QTest::qWait(250);
        m_pWindow.reset();
    }
}

QTEST_MAIN(TestDeviceMonitor)
#include "tst_devicemonitor.moc"
