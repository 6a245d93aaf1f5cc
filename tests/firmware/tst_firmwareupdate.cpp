#include "CEventBase.h"
#include "CFirmwareUpdate.h"
#include "CPackageBuilder.h"
#include "CRecordingPresenter.h"
#include "CSimBus.h"
#include "CSimDevice.h"
#include "CSimulatorBackend.h"
#include "CUSBPort.h"
#include "FileBytes.h"
#include "MillisecondClock.h"
#include "Settings.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const uint8_t AREA = 2;
const uint32_t START = 0x10000;
const uint32_t SECTOR = 4096;
const uint32_t SECTORS = 16;
const QByteArray LAYOUT = CPackageBuilder::LayoutText(AREA, START, SECTORS, SECTOR);

class CBarRecorder : public CUpdateProgress {
public:
    void SetBar(int value) override { values.append(value); }
    QList<int> values;
};

class CProgressSink : public QObject {
public:
    QList<QPair<qint64, qint64>> events;

protected:
    void customEvent(QEvent *event) override
    {
        if (event->type() == CEventBase::EVENT_TYPE) {
            const auto *progress = static_cast<CEventBase *>(event);
            events.append({progress->pos, progress->total});
        }
    }
};

QByteArray FlashBytes(CSimDevice &device, uint8_t area, uint32_t address, uint32_t length)
{
    const std::vector<uint8_t> bytes = device.Flash().Read(area, address, length);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), int(bytes.size()));
}

} // namespace

class TestFirmwareUpdate : public QObject {
    Q_OBJECT

private:
    void Attach(const SSimDeviceConfig &config)
    {
        m_pDevice = std::make_shared<CSimDevice>(config);
        CSimBus::Instance().Attach(m_pDevice);
        m_pPort.reset(new CUSBPort);
        QVERIFY(m_pPort->Connect(0));
        m_pDevice->ClearRequests();
        m_pDevice->Flash().ClearLog();
    }

    // Zeros where the image goes: a write that skipped an erase would then need to set bits.
    void Soil(uint32_t length) { m_pDevice->Flash().Poke(AREA, START, std::vector<uint8_t>(length, 0x00)); }

    QString Package(const CPackageBuilder &builder, const QString &dir = QString())
    {
        const QString path = (dir.isEmpty() ? m_pDir->path() : dir) + "/update.dat";
        if (!builder.Write(path))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    bool Run(const QString &path)
    {
        CFirmwareUpdate update(*m_pPort, m_package, m_bar, &m_sink);
        const bool result = update.Run(path);
        QCoreApplication::sendPostedEvents(&m_sink);
        return result;
    }

    QString LayoutFile() const { return m_pDir->filePath("Config.ini"); }

    std::unique_ptr<QTemporaryDir> m_pDir;
    std::shared_ptr<CSimDevice> m_pDevice;
    std::unique_ptr<CUSBPort> m_pPort;
    std::unique_ptr<CRecordingPresenter> m_pPresenter;
    CFirmwarePackage m_package;
    CBarRecorder m_bar;
    CProgressSink m_sink;

private slots:
    void init()
    {
        SetMidiBackend(std::make_shared<CSimulatorBackend>());
        SetMillisecondSource(&SimulatedIdleMilliseconds);
        m_pDir.reset(new QTemporaryDir);
        m_bar.values.clear();
        m_sink.events.clear();
        Attach(SSimDeviceConfig());
        m_pPresenter.reset(new CRecordingPresenter);
    }

    void cleanup()
    {
        m_pPresenter.reset();
        m_pPort.reset();
        CSimBus::Instance().Clear();
        m_pDevice.reset();
        SetMillisecondSource(nullptr);
        SetMidiBackend(nullptr);
    }

    void programsImageIntoErasedSectors_data()
    {
        QTest::addColumn<QByteArray>("layout");
        QTest::newRow("one group") << LAYOUT;
        // An empty first group ending at 0 lets the next group start anywhere.
        QTest::newRow("empty group first")
            << "[FLASH 1]\nTYPE=2\nStart Address=0\nEnd Address=0\nSector Size=4096\n" +
                   QByteArray(LAYOUT).replace("FLASH 1", "FLASH 2");
    }
    void programsImageIntoErasedSectors()
    {
        QFETCH(QByteArray, layout);
        const QByteArray image = CPackageBuilder::PatternImage(10000, 7);
        Soil(3 * SECTOR);
        QVERIFY(Run(Package(CPackageBuilder("10003").AddItem(layout, image))));
        QCOMPARE(m_pPresenter->Take(), QStringList{"M_SUCCESS"});
        QCOMPARE(m_bar.values, (QList<int>{26, 53, 80, 100}));
        QCOMPARE(m_sink.events, (QList<QPair<qint64, qint64>>{{1, 2}, {2, 2}}));
        QCOMPARE(FlashBytes(*m_pDevice, AREA, START, 10000), image);
        QCOMPARE(FlashBytes(*m_pDevice, AREA, START + 10000, 3 * SECTOR - 10000),
                 QByteArray(3 * SECTOR - 10000, char(0xFF)));
        QVERIFY(m_pDevice->Flash().Faults().empty());
        const auto operations = m_pDevice->Flash().Operations();
        QVERIFY(operations.size() >= 4);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(operations[i].kind, SIM_FLASH_ERASE);
            QCOMPARE(operations[i].requested, START + i * SECTOR);
        }
        QCOMPARE(operations[3].kind, SIM_FLASH_PROGRAM);
        QCOMPARE(operations[3].address, START);
        QVERIFY(!QFile::exists(LayoutFile()));
    }

    void capacity_data()
    {
        QTest::addColumn<uint>("length");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("exactly the layout") << SECTORS * SECTOR << QStringList{"M_SUCCESS"};
        QTest::newRow("one byte more")
            << SECTORS * SECTOR + 1 << QStringList{"M_SPACE_NOT_ENOUGH", "M_FAILED"};
    }

    void capacity()
    {
        QFETCH(uint, length);
        QFETCH(QStringList, messages);
        const QByteArray image = CPackageBuilder::PatternImage(length, 3);
        const bool fits = messages.size() == 1;
        QCOMPARE(Run(Package(CPackageBuilder().AddItem(LAYOUT, image))), fits);
        QCOMPARE(m_pPresenter->Take(), messages);
        if (fits)
            QCOMPARE(FlashBytes(*m_pDevice, AREA, START, length), image);
        else
            QVERIFY(m_pDevice->Requests().empty());
        QVERIFY(m_pDevice->Flash().Faults().empty());
    }

    void refusedBeforeAnyErase_data()
    {
        QTest::addColumn<QByteArray>("product");
        QTest::addColumn<QByteArray>("layout");
        QTest::addColumn<bool>("closeLink");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("other product") << QByteArray("10002") << LAYOUT << false
                                       << QStringList{"File not match the connected device,please confirm"};
        QTest::newRow("closed link") << QByteArray("10003") << LAYOUT << true
                                     << QStringList{"Device not open !", "M_FAILED"};
        QTest::newRow("sector size 0")
            << QByteArray("10003") << CPackageBuilder::LayoutText(AREA, START, 16, 0) << false
            << QStringList{"FLASH 1 sector size is 0", "M_FAILED"};
        QTest::newRow("no sectors") << QByteArray("10003") << QByteArray("; nothing\n") << false
                                    << QStringList{"FLASH layout has no sectors", "M_FAILED"};
    }

    void refusedBeforeAnyErase()
    {
        QFETCH(QByteArray, product);
        QFETCH(QByteArray, layout);
        QFETCH(bool, closeLink);
        QFETCH(QStringList, messages);
        if (closeLink)
            m_pPort->Disconnect();
        QVERIFY(
            !Run(Package(CPackageBuilder(product).AddItem(layout, CPackageBuilder::PatternImage(100, 1)))));
        QCOMPARE(m_pPresenter->Take(), messages);
        QVERIFY(m_pDevice->Requests().empty());
        QVERIFY(m_pDevice->Flash().Operations().empty());
    }

    void packageAlone_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("header checksum")
            << CPackageBuilder().AddItem(LAYOUT, "x").CorruptHeaderByte(123).Build()
            << QStringList{"File header checksum Error", "M_FAILED"};
        QTest::newRow("image does not decode")
            << CPackageBuilder().AddItem(LAYOUT, "x").SetScrambled(false).Build() << QStringList{"M_FAILED"};
        QTest::newRow("no items") << CPackageBuilder().Build() << QStringList{"M_SUCCESS"};
    }

    void packageAlone()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, messages);
        const QString path = m_pDir->filePath("update.dat");
        QVERIFY(WriteFile(path, bytes));
        QCOMPARE(Run(path), messages.last() == "M_SUCCESS");
        QCOMPARE(m_pPresenter->Take(), messages);
        QVERIFY(m_pDevice->Requests().empty());
    }

    void unreadIdentityAcceptsAnyProduct()
    {
        CSimBus::Instance().Clear();
        SSimDeviceConfig config;
        config.identityReadable = false;
        Attach(config);
        QCOMPARE(m_pPort->Identity().productId, 0xFFFFFFFFu);
        const QByteArray image = CPackageBuilder::PatternImage(5000, 4);
        QVERIFY(Run(Package(CPackageBuilder("4711").AddItem(LAYOUT, image))));
        QCOMPARE(m_pPresenter->Take(), QStringList{"M_SUCCESS"});
        QCOMPARE(FlashBytes(*m_pDevice, AREA, START, 5000), image);
    }

    void deviceFailures_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("atRequest");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("first erase refused")
            << int(SIM_FAULT_ERROR_STATUS) << int(CMD_ERASE) << 1
            << QStringList{"Erase sector failed,address=0x00010000", "M_FAILED"};
        QTest::newRow("third erase unanswered")
            << int(SIM_FAULT_SILENCE) << int(CMD_ERASE) << 3
            << QStringList{"Erase sector failed,address=0x00012000", "M_FAILED"};
        QTest::newRow("write refused") << int(SIM_FAULT_ERROR_STATUS) << int(CMD_WRITE) << 2
                                       << QStringList{"M_WRITE_FAILED", "M_FAILED"};
        QTest::newRow("wrong range sum") << int(SIM_FAULT_WRONG_SUM) << int(CMD_CHECKSUM) << 1
                                         << QStringList{"M_VERIFY_FAILED", "M_FAILED"};
        QTest::newRow("checksum unanswered")
            << int(SIM_FAULT_SILENCE) << int(CMD_CHECKSUM) << 1 << QStringList{"M_WRITE_TIMEOUT", "M_FAILED"};
    }

    void deviceFailures()
    {
        QFETCH(int, kind);
        QFETCH(int, command);
        QFETCH(int, atRequest);
        QFETCH(QStringList, messages);
        SSimFault fault;
        fault.kind = ESimFaultKind(kind);
        fault.command = command;
        fault.atRequest = atRequest;
        fault.once = true;
        m_pDevice->SetFault(fault);
        QVERIFY(!Run(Package(CPackageBuilder().AddItem(LAYOUT, CPackageBuilder::PatternImage(10000, 5)))));
        QCOMPARE(m_pPresenter->Take(), messages);
        // The failing item's layout stays for the user to look at.
        QFile layout(LayoutFile());
        QVERIFY(layout.open(QIODevice::ReadOnly));
        QCOMPARE(layout.readAll(), LAYOUT);
    }

    void itemsGoWhereTheirOwnLayoutSays()
    {
        // Layouts of equal length, written to the same file one after the other.
        const QByteArray second = CPackageBuilder::LayoutText(AREA, 0x40000, 4, SECTOR);
        const QByteArray first = CPackageBuilder::PatternImage(6000, 8);
        const QByteArray other = CPackageBuilder::PatternImage(9000, 9);
        QCOMPARE(second.size(), LAYOUT.size());
        QVERIFY(Run(Package(CPackageBuilder().AddItem(LAYOUT, first).AddItem(second, other))));
        QCOMPARE(m_pPresenter->Take(), QStringList{"M_SUCCESS"});
        QCOMPARE(FlashBytes(*m_pDevice, AREA, START, 6000), first);
        QCOMPARE(FlashBytes(*m_pDevice, AREA, 0x40000, 9000), other);
        QVERIFY(m_pDevice->Flash().Faults().empty());
        QVERIFY(!QFile::exists(LayoutFile()));
    }

    void settingsFileSurvivesPackageBesideIt_data()
    {
        QTest::addColumn<bool>("eraseRefused");
        QTest::newRow("success") << false;
        QTest::newRow("failure") << true;
    }

    void settingsFileSurvivesPackageBesideIt()
    {
        QFETCH(bool, eraseRefused);
        WriteConfigValue("/Config/FirmwareDir", "/firmware/");
        WriteConfigValue("/Config/WavLoadDir", "/wav/");
        if (eraseRefused)
            m_pDevice->SetFault({SIM_FAULT_ERROR_STATUS, 1, int(CMD_ERASE), true});
        const QString appDir = QCoreApplication::applicationDirPath();
        const QString path =
            Package(CPackageBuilder().AddItem(LAYOUT, CPackageBuilder::PatternImage(3000, 6)), appDir);
        QCOMPARE(Run(path), !eraseRefused);
        QFile::remove(path);
        QCOMPARE(ReadConfigValue("/Config/FirmwareDir"), QString("/firmware/"));
        QCOMPARE(ReadConfigValue("/Config/WavLoadDir"), QString("/wav/"));
        QFile settings(SettingsFilePath());
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY(!settings.readAll().contains("FLASH"));
        const QString layout = appDir + "/FlashLayout.ini";
        QCOMPARE(QFile::exists(layout), eraseRefused);
        QFile::remove(layout);
        QFile::remove(SettingsFilePath());
    }
};

QTEST_GUILESS_MAIN(TestFirmwareUpdate)
#include "tst_firmwareupdate.moc"
