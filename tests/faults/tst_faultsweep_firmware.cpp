#include "BrindleQT.h"
#include "CDialogAnswerer.h"
#include "CPackageBuilder.h"
#include "CSimBus.h"
#include "FaultKinds.h"
#include "SimulatedLoopers.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const uint8_t AREA = 2;
const uint32_t START = 0x10000;
// Three sector erases, two write chunks and the range checksum.
const int REQUESTS = 6;
} // namespace

// Every fault kind at every request of a small firmware update: the update must end with its
// message, the window must be idle again, and nothing may be programmed without an erase.
class TestFaultSweepFirmware : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        UseSimulatedLoopersInWindow();
        QVERIFY(CPackageBuilder("10003")
                    .AddItem(CPackageBuilder::LayoutText(AREA, START, 16, 4096),
                             CPackageBuilder::PatternImage(10000, 9))
                    .Write(m_dir.filePath("package.dat")));
    }

    void everyFaultAtEveryRequest_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("request");
        for (const auto &fault : SweptFaultKinds()) {
            for (int request = 1; request <= REQUESTS; ++request)
                QTest::addRow("%s at %d", qPrintable(fault.second), request) << int(fault.first) << request;
        }
    }
    void everyFaultAtEveryRequest()
    {
        QFETCH(int, kind);
        QFETCH(int, request);
        CSimBus::Instance().Clear();
        auto device = std::make_shared<CSimDevice>(SSimDeviceConfig());
        CSimBus::Instance().Attach(device);
        CDialogAnswerer answerer;
        BrindleQT window;
        device->ClearRequests();
        device->SetFault({ESimFaultKind(kind), request, -1, false, 0});

        window.findChild<QLineEdit *>("m_editPath")->setText(m_dir.filePath("package.dat"));
        answerer.Expect(CDialogAnswerer::Press(QMessageBox::Ok));
        answerer.Expect(CDialogAnswerer::Press(QMessageBox::Ok));
        window.findChild<QPushButton *>("m_btnUpdate")->click();
        answerer.WaitForAll(200);

        const QStringList seen = answerer.SeenTexts();
        QVERIFY2(!seen.isEmpty(), "the update ended without a message");
        QVERIFY2(seen.last() == "M_SUCCESS" || seen.last() == "M_FAILED", qPrintable(seen.join(" | ")));
        if (seen.last() == "M_SUCCESS")
            QCOMPARE(device->Flash().Read(AREA, START, 10000).size(), size_t(10000));
        QCOMPARE(window.Operation(), int32_t(OP_NONE));
        QVERIFY(window.findChild<QProgressBar *>("progressBar")->isHidden());
        QVERIFY(window.findChild<QTabWidget *>("propSheet")->isTabEnabled(0));
        QVERIFY(window.findChild<QTabWidget *>("propSheet")->isTabEnabled(1));
        QVERIFY(device->Flash().Faults().empty());
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestFaultSweepFirmware)
#include "tst_faultsweep_firmware.moc"
