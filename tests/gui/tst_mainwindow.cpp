#include "BrindleQT.h"
#include "CDialogAnswerer.h"
#include "CEventBase.h"
#include "CStubMidiBackend.h"
#include "Settings.h"

#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>

// The window without a device: form, operation bookkeeping, progress, firmware file choice.
class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void widgetTree_data();
    void widgetTree();
    void texts_data();
    void texts();
    void tabOrder();
    void icons();
    void initialState();
    void firmwarePageDrawnLikeSongPage();
    void progressEvents_data();
    void progressEvents();
    void endOperation_data();
    void endOperation();
    void busyGuards_data();
    void busyGuards();
    void openFirmwareFile();
    void watcherStopsWithWindow();
    void libraryErrorsAreSurvived();
    void signalEndsTheProgramAsClosingDoes();

private:
    template <class T> T *Widget(const char *name) const
    {
        T *pWidget = m_pWindow->findChild<T *>(QString::fromLatin1(name));
        if (!pWidget)
            qFatal("no widget %s", name);
        return pWidget;
    }

    std::shared_ptr<CStubMidiBackend> m_pBackend;
    std::unique_ptr<CDialogAnswerer> m_pAnswerer;
    std::unique_ptr<BrindleQT> m_pWindow;
};

void TestMainWindow::initTestCase()
{
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
}

void TestMainWindow::init()
{
    QFile::remove(SettingsFilePath());
    m_pBackend = std::make_shared<CStubMidiBackend>();
    SetMidiBackend(m_pBackend);
    m_pAnswerer.reset(new CDialogAnswerer);
    m_pWindow.reset(new BrindleQT);
}

void TestMainWindow::cleanup()
{
    m_pWindow.reset();
    QVERIFY2(m_pAnswerer->Failures().isEmpty(), qPrintable(m_pAnswerer->Failures().join("\n")));
    m_pAnswerer.reset();
    QFile::remove(SettingsFilePath());
}

void TestMainWindow::widgetTree_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QRect>("geometry");
    const QRect fromLayout;
    QTest::newRow("centralWidget") << "QWidget"
                                   << "BrindleQTClass" << fromLayout;
    QTest::newRow("propSheet") << "QTabWidget"
                               << "centralWidget" << fromLayout;
    QTest::newRow("progressBar") << "QProgressBar"
                                 << "centralWidget" << fromLayout;
    QTest::newRow("label") << "QLabel"
                           << "song" << QRect(20, 10, 191, 16);
    QTest::newRow("groupBox") << "QGroupBox"
                              << "song" << QRect(310, 30, 341, 331);
    QTest::newRow("m_btnUpload") << "QPushButton"
                                 << "groupBox" << QRect(90, 50, 151, 61);
    QTest::newRow("m_btnDownload") << "QPushButton"
                                   << "groupBox" << QRect(90, 140, 151, 61);
    QTest::newRow("m_btnDelete") << "QPushButton"
                                 << "groupBox" << QRect(90, 230, 151, 61);
    QTest::newRow("m_lstSong") << "QListWidget"
                               << "song" << QRect(20, 40, 261, 461);
    QTest::newRow("m_btnExport") << "QPushButton"
                                 << "groupBox" << QRect(248, 50, 83, 61);
    QTest::newRow("m_btnImport") << "QPushButton"
                                 << "groupBox" << QRect(248, 140, 83, 61);
    QTest::newRow("m_songPanel") << "CSongPanel"
                                 << "song" << QRect(310, 368, 341, 129);
    QTest::newRow("m_storageBar") << "CStorageBar"
                                  << "song" << QRect(20, 506, 631, 22);
    QTest::newRow("m_btnStop") << "QPushButton"
                               << "centralWidget" << fromLayout;
    QTest::newRow("groupBox_2") << "QGroupBox"
                                << "m_tabFirmwareUpdate" << QRect(20, 30, 631, 151);
    QTest::newRow("label_2") << "QLabel"
                             << "groupBox_2" << QRect(40, 60, 54, 12);
    QTest::newRow("m_editPath") << "QLineEdit"
                                << "groupBox_2" << QRect(110, 50, 421, 31);
    QTest::newRow("m_btnOpen") << "QPushButton"
                               << "groupBox_2" << QRect(540, 40, 41, 41);
    QTest::newRow("m_btnUpdate") << "QPushButton"
                                 << "m_tabFirmwareUpdate" << QRect(260, 230, 151, 61);
}

void TestMainWindow::widgetTree()
{
    QFETCH(QString, className);
    QFETCH(QString, parentName);
    QFETCH(QRect, geometry);
    QWidget *pWidget = Widget<QWidget>(QTest::currentDataTag());
    QCOMPARE(QString::fromLatin1(pWidget->metaObject()->className()), className);
    QCOMPARE(pWidget->parentWidget()->objectName(), parentName);
    if (!geometry.isNull())
        QCOMPARE(pWidget->geometry(), geometry);
}

void TestMainWindow::texts_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<QString>("expected");
    QTest::newRow("label") << "text"
                           << "Song List";
    QTest::newRow("groupBox") << "title"
                              << "Edit Song";
    QTest::newRow("m_btnUpload") << "text"
                                 << " Upload      ";
    QTest::newRow("m_btnUpload") << "toolTip"
                                 << "Upload the selected song as a wav file";
    QTest::newRow("m_btnDownload") << "text"
                                   << " Download    ";
    QTest::newRow("m_btnDownload") << "toolTip"
                                   << "Download a wav file to the selected song";
    QTest::newRow("m_btnDelete") << "text"
                                 << " Delete      ";
    QTest::newRow("m_btnDelete") << "toolTip"
                                 << "Delte the selected song";
    QTest::newRow("groupBox_2") << "title"
                                << "Firmware File";
    QTest::newRow("label_2") << "text"
                             << "Path";
    QTest::newRow("m_btnOpen") << "text"
                               << "";
    QTest::newRow("m_btnOpen") << "toolTip"
                               << "Open a firmware file";
    QTest::newRow("m_btnUpdate") << "text"
                                 << "  Update     ";
    QTest::newRow("m_btnUpdate") << "toolTip"
                                 << "";
    QTest::newRow("m_editPath") << "text"
                                << "";
    QTest::newRow("m_btnImport") << "text" << QString::fromUtf8("Import…");
    QTest::newRow("m_btnExport") << "text" << QString::fromUtf8("Export…");
    QTest::newRow("m_btnStop") << "text"
                               << "Stop";
}

void TestMainWindow::texts()
{
    QFETCH(QString, property);
    QFETCH(QString, expected);
    QWidget *pWidget = Widget<QWidget>(QTest::currentDataTag());
    QCOMPARE(pWidget->property(qPrintable(property)).toString(), expected);
}

void TestMainWindow::tabOrder()
{
    const QStringList expected = {"m_btnOpen",  "m_btnDownload", "m_btnUpload", "propSheet",
                                  "m_editPath", "m_btnUpdate",   "m_btnDelete"};
    QStringList chain;
    QWidget *pWidget = Widget<QWidget>("m_btnOpen");
    while (chain.size() < expected.size()) {
        if (expected.contains(pWidget->objectName()) && !chain.contains(pWidget->objectName()))
            chain.append(pWidget->objectName());
        pWidget = pWidget->nextInFocusChain();
    }
    QCOMPARE(chain, expected);
}

void TestMainWindow::icons()
{
    auto *pTabs = Widget<QTabWidget>("propSheet");
    QCOMPARE(pTabs->iconSize(), QSize(24, 24));
    for (int nPage = 0; nPage < 2; ++nPage) {
        const QIcon icon = pTabs->tabIcon(nPage);
        // The selected page shows the coloured picture, the others the gray one.
        const QImage on = icon.pixmap(24, QIcon::Normal, QIcon::On).toImage();
        const QImage off = icon.pixmap(24, QIcon::Normal, QIcon::Off).toImage();
        QVERIFY(!on.isNull());
        QVERIFY(on != off);
        QCOMPARE(icon.pixmap(24, QIcon::Active, QIcon::Off).toImage(), off);
    }
    for (const char *name : {"m_btnUpload", "m_btnDownload", "m_btnDelete", "m_btnUpdate"}) {
        auto *pButton = Widget<QPushButton>(name);
        QVERIFY2(!pButton->icon().isNull(), name);
        QCOMPARE(pButton->iconSize(), QSize(48, 48));
        QCOMPARE(pButton->minimumSize(), QSize(50, 50));
        QCOMPARE(pButton->layoutDirection(), Qt::RightToLeft);
        QCOMPARE(pButton->sizePolicy().horizontalPolicy(), QSizePolicy::Minimum);
        QCOMPARE(pButton->text().size(), 13);
    }
    auto *pOpen = Widget<QPushButton>("m_btnOpen");
    QVERIFY(!pOpen->icon().isNull());
    QCOMPARE(pOpen->iconSize(), QSize(32, 32));
    QVERIFY(pOpen->autoFillBackground());
}

// The darkest pixel of the left half of a button, as the window draws it: the colour of its
// text (the icon sits in the right half).
static QRgb TextColour(QWidget *pWindow, QWidget *pButton)
{
    const QSize half(pButton->width() / 2, pButton->height());
    // Grabbed whole first: the grab lays the page out, and only then is the button where it shows.
    const QImage window = pWindow->grab().toImage();
    const QImage image = window.copy(QRect(pButton->mapTo(pWindow, QPoint(0, 0)), half));
    QRgb darkest = qRgb(255, 255, 255);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < qGray(darkest))
                darkest = image.pixel(x, y);
        }
    }
    return darkest;
}

// Window opacity does nothing to a page inside the window: the firmware page looks as usable
// as the song page, its buttons drawn in the same colours.
void TestMainWindow::firmwarePageDrawnLikeSongPage()
{
    auto *pSheet = Widget<QTabWidget>("propSheet");
    const QRgb upload = TextColour(m_pWindow.get(), Widget<QPushButton>("m_btnUpload"));
    pSheet->setCurrentIndex(1);
    const QRgb update = TextColour(m_pWindow.get(), Widget<QPushButton>("m_btnUpdate"));

    QCOMPARE(QColor(update).name(), QColor(upload).name());
}

void TestMainWindow::initialState()
{
    QCOMPARE(m_pWindow->size(), QSize(704, 595));
    QCOMPARE(m_pWindow->minimumSize(), QSize(704, 595));
    QCOMPARE(m_pWindow->maximumSize(), QSize(704, 595));
    QVERIFY(!(m_pWindow->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(m_pWindow->windowFlags() & Qt::MSWindowsFixedSizeDialogHint);
    QCOMPARE(m_pWindow->windowTitle(), QString("Brindle V1.2 - (No device connected !)"));
    const QString separator = QString(8, '\t') + ' ';
    QCOMPARE(m_pWindow->styleSheet(), "QWidget#song{background-image: url(Bg1.jpg);}" + separator +
                                          "QWidget#m_tabFirmwareUpdate{background-image: url(Bg3.jpg);}" +
                                          separator + "QMainWindow{background-image: url(Bg2.jpg);}");
    auto *pBar = Widget<QProgressBar>("progressBar");
    QVERIFY(pBar->isHidden());
    QCOMPARE(pBar->minimum(), 0);
    QCOMPARE(pBar->maximum(), 100);
    QCOMPARE(Widget<QTabWidget>("propSheet")->currentIndex(), 0);
    QCOMPARE(Widget<QTabWidget>("propSheet")->tabText(1), QString("Firmware Update"));
    QCOMPARE(m_pWindow->Operation(), int32_t(OP_NONE));
    QCOMPARE(m_pWindow->CurrentRow(), -1);
    QCOMPARE(Widget<QListWidget>("m_lstSong")->count(), 0);
    for (const char *name : {"m_btnUpload", "m_btnDownload", "m_btnDelete", "m_btnOpen", "m_btnUpdate",
                             "m_btnImport", "m_btnExport"})
        QVERIFY2(!Widget<QPushButton>(name)->isEnabled(), name);
    QVERIFY(Widget<QPushButton>("m_btnStop")->isHidden());
}

void TestMainWindow::progressEvents_data()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<QList<qint64>>("reports");
    QTest::addColumn<int>("expected");
    QTest::newRow("download 1 of 3") << int(OP_DOWNLOAD) << QList<qint64>{1, 3} << 33;
    QTest::newRow("upload 2 of 3") << int(OP_UPLOAD) << QList<qint64>{2, 3} << 66;
    QTest::newRow("upload done") << int(OP_UPLOAD) << QList<qint64>{7, 7} << 100;
    QTest::newRow("firmware 1 of 4") << int(OP_UPDATE_FIRMWARE) << QList<qint64>{1, 4} << 85;
    QTest::newRow("firmware start") << int(OP_UPDATE_FIRMWARE) << QList<qint64>{0, 9} << 80;
    QTest::newRow("large byte counts") << int(OP_DOWNLOAD) << QList<qint64>{3000000000LL, 4000000000LL} << 75;
    QTest::newRow("last report wins") << int(OP_UPLOAD) << QList<qint64>{1, 4, 3, 4} << 75;
    QTest::newRow("no operation") << int(OP_NONE) << QList<qint64>{1, 2} << 0;
    QTest::newRow("zero total") << int(OP_UPLOAD) << QList<qint64>{1, 0} << 0;
    QTest::newRow("negative total") << int(OP_UPLOAD) << QList<qint64>{1, -4} << 0;
    QTest::newRow("past the end") << int(OP_DOWNLOAD) << QList<qint64>{1, 2, 9, 4} << 50;
}

void TestMainWindow::progressEvents()
{
    QFETCH(int, operation);
    QFETCH(QList<qint64>, reports);
    QFETCH(int, expected);
    if (operation != OP_NONE)
        m_pWindow->BeginOperation(operation);
    for (int i = 0; i + 1 < reports.size(); i += 2)
        QCoreApplication::postEvent(m_pWindow.get(), new CEventBase(reports[i], reports[i + 1]));
    QCoreApplication::sendPostedEvents(m_pWindow.get());
    QCOMPARE(Widget<QProgressBar>("progressBar")->value(), operation == OP_NONE ? 24 : expected);
}

void TestMainWindow::endOperation_data()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<int>("disabledPage");
    QTest::newRow("upload") << int(OP_UPLOAD) << 1;
    QTest::newRow("download") << int(OP_DOWNLOAD) << 1;
    QTest::newRow("firmware") << int(OP_UPDATE_FIRMWARE) << 0;
}

void TestMainWindow::endOperation()
{
    QFETCH(int, operation);
    QFETCH(int, disabledPage);
    auto *pTabs = Widget<QTabWidget>("propSheet");
    auto *pBar = Widget<QProgressBar>("progressBar");
    m_pWindow->show();
    m_pWindow->BeginOperation(operation);
    QCOMPARE(m_pWindow->Operation(), operation);
    QVERIFY(pBar->isVisible());
    QVERIFY(Widget<QPushButton>("m_btnStop")->isVisible());
    // The bar takes room from the page: the song panel stays in sight.
    QVERIFY(Widget<QWidget>("song")->rect().contains(Widget<QWidget>("m_songPanel")->geometry()));
    QCOMPARE(pBar->value(), 0);
    QVERIFY(!pTabs->isTabEnabled(disabledPage));
    QVERIFY(pTabs->isTabEnabled(1 - disabledPage));
    m_pWindow->EndOperation();
    QCOMPARE(m_pWindow->Operation(), int32_t(OP_NONE));
    QVERIFY(pBar->isHidden());
    QVERIFY(Widget<QPushButton>("m_btnStop")->isHidden());
    QVERIFY(pTabs->isTabEnabled(0));
    QVERIFY(pTabs->isTabEnabled(1));
}

void TestMainWindow::busyGuards_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<int>("operation");
    QTest::newRow("update during upload") << "OnUpdateFirmware" << int(OP_UPLOAD);
    QTest::newRow("upload during download") << "OnUploadSong" << int(OP_DOWNLOAD);
    QTest::newRow("download during update") << "OnDownloadSong" << int(OP_UPDATE_FIRMWARE);
    QTest::newRow("delete during upload") << "OnDeleteSong" << int(OP_UPLOAD);
}

// A click delivered by the running operation's own event processing must do nothing.
void TestMainWindow::busyGuards()
{
    QFETCH(QString, slot);
    QFETCH(int, operation);
    m_pWindow->BeginOperation(operation);
    QCoreApplication::postEvent(m_pWindow.get(), new CEventBase(2, 5));
    QCoreApplication::sendPostedEvents(m_pWindow.get());
    QVERIFY(QMetaObject::invokeMethod(m_pWindow.get(), qPrintable(slot)));
    QTest::qWait(100);
    QVERIFY(m_pAnswerer->Seen().isEmpty());
    QCOMPARE(m_pWindow->Operation(), operation);
    QCOMPARE(Widget<QProgressBar>("progressBar")->value(), operation == OP_UPDATE_FIRMWARE ? 88 : 40);
}

void TestMainWindow::openFirmwareFile()
{
    QTemporaryDir dir;
    const QString strPackage = dir.filePath("pkg.dat");
    QFile package(strPackage);
    QVERIFY(package.open(QIODevice::WriteOnly));
    package.close();
    auto *pPath = Widget<QLineEdit>("m_editPath");
    pPath->setText("typed by hand");

    m_pAnswerer->Expect(CDialogAnswerer::CancelFile());
    QVERIFY(QMetaObject::invokeMethod(m_pWindow.get(), "OnOpenFirmwareFile"));
    QVERIFY(m_pAnswerer->WaitForAll());
    QCOMPARE(m_pAnswerer->Seen().value(0).strTitle, QString("Open firmware file"));
    QVERIFY2(!QFile::exists(SettingsFilePath()), "cancelling the first choice created the settings file");
    QCOMPARE(pPath->text(), QString("typed by hand"));

    m_pAnswerer->Expect(CDialogAnswerer::ChooseFile(strPackage));
    QVERIFY(QMetaObject::invokeMethod(m_pWindow.get(), "OnOpenFirmwareFile"));
    QVERIFY(m_pAnswerer->WaitForAll());
    QCOMPARE(pPath->text(), strPackage);
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    QCOMPARE(settings.value("Config/FirmwareDir").toString(), QDir(dir.path()).path() + "/");

    m_pAnswerer->Reset();
    pPath->setText("changed");
    m_pAnswerer->Expect(CDialogAnswerer::CancelFile());
    QVERIFY(QMetaObject::invokeMethod(m_pWindow.get(), "OnOpenFirmwareFile"));
    QVERIFY(m_pAnswerer->WaitForAll());
    QCOMPARE(m_pAnswerer->Seen().value(0).strDirectory, QDir(dir.path()).absolutePath());
    QCOMPARE(pPath->text(), QString("changed"));
    QCOMPARE(ReadConfigValue("/Config/FirmwareDir"), QDir(dir.path()).path() + "/");
}

// The program never destroys its window; tests do, many times, and must neither hang nor leak a thread.
void TestMainWindow::watcherStopsWithWindow()
{
    for (int i = 0; i < 5; ++i) {
        m_pWindow.reset(new BrindleQT);
        const int nBefore = m_pBackend->CountQueries();
        QTRY_VERIFY_WITH_TIMEOUT(m_pBackend->CountQueries() > nBefore, 5000);
        m_pWindow.reset();
    }
    const int nAfter = m_pBackend->CountQueries();
    QTest::qWait(450);
    QCOMPARE(m_pBackend->CountQueries(), nAfter);
    m_pWindow.reset(new BrindleQT);
}

void TestMainWindow::libraryErrorsAreSurvived()
{
    m_pWindow.reset();
    m_pBackend = std::make_shared<CStubMidiBackend>(true);
    SetMidiBackend(m_pBackend);
    m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Ok));
    m_pWindow.reset(new BrindleQT);
    QVERIFY(m_pAnswerer->WaitForAll());
    const CDialogAnswerer::SSeenDialog seen = m_pAnswerer->Seen().value(0);
    QCOMPARE(seen.strTitle, QString("Message"));
    QCOMPARE(seen.strText, QString(CStubMidiBackend::COUNT_ERROR));
    QCOMPARE(seen.nButtons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(!seen.bHasParent);
    const int nAfterScan = m_pBackend->CountQueries();
    QTRY_VERIFY_WITH_TIMEOUT(m_pBackend->CountQueries() >= nAfterScan + 3, 5000);
    QCOMPARE(m_pWindow->windowTitle(), QString("Brindle V1.2 - (No device connected !)"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

// Ctrl-C in the terminal that started the window: the program ends as if the window was closed, and
// the simulated looper's flash file is written, where the signal used to end it with nothing saved.
void TestMainWindow::signalEndsTheProgramAsClosingDoes()
{
    QTemporaryDir folder;
    const QString flash = folder.filePath("looper.flash");
    QProcess window;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("BRINDLE_MIDI_API", "simulator");
    environment.insert("BRINDLE_SIM_MODEL", "10002");
    environment.insert("BRINDLE_SIM_FLASH", flash);
    window.setProcessEnvironment(environment);
    window.start(BRINDLE_APP_PATH, QStringList());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(flash), 10000);
    QTest::qWait(1500);
    ::kill(pid_t(window.processId()), SIGINT);
    QVERIFY(window.waitForFinished(10000));
    QCOMPARE(window.exitStatus(), QProcess::NormalExit);
    QCOMPARE(window.exitCode(), 0);
    QVERIFY(QFileInfo(flash).size() > 0);
}
