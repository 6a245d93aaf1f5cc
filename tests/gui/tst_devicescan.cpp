#include "BrindleQT.h"
#include "CDialogAnswerer.h"
#include "CLoopbackBackend.h"

#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {
const char *const NO_DEVICE = "Brindle V1.2 - (No device connected !)";
const char *const UPDATE_MODE =
    "You should enter update mode first! For how to enter update mode, please refer to the manual";
} // namespace

// The first port scan against one name-matched port pair whose far end is not a framed-protocol looper.
class TestDeviceScan : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void farEnd_data();
    void farEnd();
};

void TestDeviceScan::initTestCase()
{
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
}

void TestDeviceScan::farEnd_data()
{
    QTest::addColumn<QString>("openError");
    QTest::addColumn<bool>("echo");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("silent: the link's empty error text") << "" << false << QStringList{""};
    QTest::newRow("port cannot be opened")
        << "MidiOutLoop::openPort: port busy." << false << QStringList{"MidiOutLoop::openPort: port busy."};
    QTest::newRow("a format text is shown as it is")
        << "port 100% gone: %s %n" << false << QStringList{"port 100% gone: %s %n"};
    QTest::newRow("raw echo: update mode first")
        << "" << true << QStringList{"Data length error", UPDATE_MODE};
}

void TestDeviceScan::farEnd()
{
    QFETCH(QString, openError);
    QFETCH(bool, echo);
    QFETCH(QStringList, messages);
    auto pBackend = std::make_shared<CLoopbackBackend>();
    pBackend->SetEcho(echo);
    if (!openError.isEmpty())
        pBackend->FailNextOpen(openError.toStdString());
    SetMidiBackend(pBackend);
    CDialogAnswerer answerer;
    for (int i = 0; i < messages.size(); ++i)
        answerer.Expect(CDialogAnswerer::Press(QMessageBox::Ok));
    std::unique_ptr<BrindleQT> pWindow(new BrindleQT);
    QVERIFY(answerer.WaitForAll());
    QCOMPARE(answerer.SeenTexts(), messages);
    for (const CDialogAnswerer::SSeenDialog &seen : answerer.Seen())
        QCOMPARE(seen.strTitle, QString("Message"));
    QCOMPARE(pWindow->USBPort().State(), int32_t(LINK_CLOSED));
    QCOMPARE(pWindow->windowTitle(), QString(NO_DEVICE));
    for (const char *name : {"m_btnUpload", "m_btnDownload", "m_btnDelete", "m_btnOpen", "m_btnUpdate"})
        QVERIFY2(!pWindow->findChild<QPushButton *>(name)->isEnabled(), name);
    pWindow.reset();
    QVERIFY2(answerer.Failures().isEmpty(), qPrintable(answerer.Failures().join("\n")));
    SetMidiBackend(nullptr);
}

QTEST_MAIN(TestDeviceScan)
#include "tst_devicescan.moc"
