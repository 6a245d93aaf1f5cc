#include "BrindleQT.h"
#include "CDialogAnswerer.h"
#include "CPackageBuilder.h"
#include "CSimBus.h"
#include "SimulatedLoopers.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {
const uint8_t AREA = 2;
const uint32_t START = 0x10000;
} // namespace

// The firmware page driven as a user drives it: path, Update, the boxes, the bar, the device's flash.
class TestFirmwareWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { UseSimulatedLoopersInWindow(); }
    void init()
    {
        CSimBus::Instance().Clear();
        m_pDevice = std::make_shared<CSimDevice>(SSimDeviceConfig());
        CSimBus::Instance().Attach(m_pDevice);
        m_pAnswerer.reset(new CDialogAnswerer);
        m_pWindow.reset(new BrindleQT);
        m_pDevice->ClearRequests();
        m_pDevice->Flash().ClearLog();
        connect(Bar(), &QProgressBar::valueChanged, this, [this](int value) {
            m_bars.append(value);
            m_songTabStates.append(Tabs()->isTabEnabled(0));
        });
        m_bars.clear();
        m_songTabStates.clear();
    }
    void cleanup()
    {
        m_pWindow.reset();
        QVERIFY2(m_pAnswerer->Failures().isEmpty(), qPrintable(m_pAnswerer->Failures().join("\n")));
        CSimBus::Instance().Clear();
    }

    void updateProgramsTheImage()
    {
        const QByteArray image = CPackageBuilder::PatternImage(10000, 5);
        RunUpdate(CPackageBuilder("10003").AddItem(CPackageBuilder::LayoutText(AREA, START, 16, 4096), image),
                  {"M_SUCCESS"});
        QCOMPARE(m_bars, (QList<int>{0, 26, 53, 80, 90, 100}));
        QVERIFY(!m_songTabStates.mid(1).contains(true));
        const std::vector<uint8_t> flash = m_pDevice->Flash().Read(AREA, START, uint32_t(image.size()));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(flash.data()), int(flash.size())), image);
        QVERIFY(m_pDevice->Flash().Faults().empty());
        QVERIFY(!QFile::exists(m_dir.filePath("Config.ini")));
    }

    // Past its first erase an update cannot stop: closing the window says so and the update goes on.
    void closeDuringTheUpdateIsRefused()
    {
        Window()->show();
        auto *pTimer = new QTimer(Window());
        connect(pTimer, &QTimer::timeout, this, [this, pTimer] {
            if (Window()->Operation() != OP_UPDATE_FIRMWARE || Bar()->value() == 0)
                return;
            pTimer->stop();
            Window()->close();
        });
        pTimer->start(1);
        const QByteArray image = CPackageBuilder::PatternImage(10000, 6);
        RunUpdate(CPackageBuilder("10003").AddItem(CPackageBuilder::LayoutText(AREA, START, 16, 4096), image),
                  {"Firmware update in progress: stopping now would leave the looper unusable", "M_SUCCESS"});
        QCOMPARE(m_pAnswerer->Seen().value(0).strTitle, QString("Transfer in progress"));
        QVERIFY(Window()->isVisible());
        const std::vector<uint8_t> flash = m_pDevice->Flash().Read(AREA, START, uint32_t(image.size()));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(flash.data()), int(flash.size())), image);
    }

    void refusedUpdatesLeaveTheDeviceAlone_data()
    {
        QTest::addColumn<QByteArray>("product");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("other product")
            << QByteArray("10002") << QStringList{"File not match the connected device,please confirm"};
        QTest::newRow("broken package")
            << QByteArray() << QStringList{"File header checksum Error", "M_FAILED"};
    }
    void refusedUpdatesLeaveTheDeviceAlone()
    {
        QFETCH(QByteArray, product);
        QFETCH(QStringList, messages);
        CPackageBuilder package(product.isEmpty() ? QByteArray("10003") : product);
        package.AddItem(CPackageBuilder::LayoutText(AREA, START, 4, 4096),
                        CPackageBuilder::PatternImage(100, 1));
        if (product.isEmpty())
            package.CorruptHeaderByte(123);
        RunUpdate(package, messages);
        QVERIFY(m_pDevice->Requests().empty());
    }

    void emptyPathAsksForAFile()
    {
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Ok));
        Window()->findChild<QPushButton *>("m_btnUpdate")->click();
        QVERIFY(m_pAnswerer->WaitForAll());
        QCOMPARE(m_pAnswerer->SeenTexts(), QStringList{"M_NO_UPDATE_FILE_SELECTED"});
        VerifyIdle();
        QVERIFY(m_bars.isEmpty());
    }

private:
    void RunUpdate(const CPackageBuilder &package, const QStringList &messages)
    {
        QVERIFY(m_dir.isValid());
        const QString path = m_dir.filePath("package.dat");
        QVERIFY(package.Write(path));
        Window()->findChild<QLineEdit *>("m_editPath")->setText(path);
        for (int i = 0; i < messages.size(); ++i)
            m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Ok));
        Window()->findChild<QPushButton *>("m_btnUpdate")->click();
        QVERIFY(m_pAnswerer->WaitForAll());
        QCOMPARE(m_pAnswerer->SeenTexts(), messages);
        VerifyIdle();
    }
    void VerifyIdle()
    {
        QCOMPARE(Window()->Operation(), int32_t(OP_NONE));
        QVERIFY(Bar()->isHidden());
        QVERIFY(Tabs()->isTabEnabled(0));
        QVERIFY(Tabs()->isTabEnabled(1));
    }
    BrindleQT *Window() { return m_pWindow.get(); }
    QProgressBar *Bar() { return m_pWindow->findChild<QProgressBar *>("progressBar"); }
    QTabWidget *Tabs() { return m_pWindow->findChild<QTabWidget *>("propSheet"); }

    QTemporaryDir m_dir;
    std::shared_ptr<CSimDevice> m_pDevice;
    std::unique_ptr<CDialogAnswerer> m_pAnswerer;
    std::unique_ptr<BrindleQT> m_pWindow;
    QList<int> m_bars;
    QList<bool> m_songTabStates;
};

QTEST_MAIN(TestFirmwareWindow)
#include "tst_firmwarewindow.moc"
