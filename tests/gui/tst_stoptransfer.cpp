#include "BrindleQT.h"
#include "CDialogAnswerer.h"
#include "CLooperSongTable.h"
#include "CSimBus.h"
#include "Settings.h"
#include "SimulatedLoopers.h"
#include "WindowTest.h"
#include "WindowTestEnd.h"

#include <QFileInfo>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const uint32_t PULSE_RIG = 10002;
const uint32_t SONG_BYTES = 192 * 16000;

std::vector<uint8_t> Pattern(uint32_t length, uint32_t seed)
{
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i * 11 + i / 251 + seed);
    return bytes;
}
} // namespace

// A long transfer stopped from the window, by closing it or by Escape: the question, the stop at
// the next request, nothing left under the final name, and the next operation unaffected.
class TestStopTransfer : public CWindowTest {
    Q_OBJECT

private slots:
    void initTestCase() { UseSimulatedLoopersInWindow(); }
    void cleanup() { EndWindowTest(m_pWindow, m_pAnswerer); }

    void closeDuringUploadAsksFirst()
    {
        Start();
        const QString kept = m_dir.filePath("kept.wav");
        RunUpload(
            kept, [this] { m_pWindow->close(); }, QMessageBox::No, "Successful !");
        QCOMPARE(m_pAnswerer->Seen().value(1).strTitle, QString("Transfer in progress"));
        QCOMPARE(m_pAnswerer->Seen().value(1).strText, QString("A transfer is running. Stop it and quit?"));
        QCOMPARE(m_pAnswerer->Seen().value(1).nButtons, QMessageBox::Yes | QMessageBox::No);
        QVERIFY(m_pWindow->isVisible());
        QVERIFY(QFileInfo(kept).size() > qint64(SONG_BYTES));

        // Yes quits once the upload has stopped, with no box after the question.
        const QString stopped = m_dir.filePath("stopped.wav");
        RunUpload(
            stopped, [this] { m_pWindow->close(); }, QMessageBox::Yes, QString());
        QTRY_VERIFY_WITH_TIMEOUT(!m_pWindow->isVisible(), 5000);
        QVERIFY(QDir(m_dir.path()).entryList(QDir::Files) == QStringList{"kept.wav"});
        QCOMPARE(m_pAnswerer->Seen().size(), 2);
    }

    // The Stop button asks as Escape does; meanwhile every command button is greyed.
    void stopButtonDuringUpload()
    {
        Start();
        QStringList greyed;
        RunUpload(
            m_dir.filePath("stopped.wav"),
            [this, &greyed] {
                for (QPushButton *pButton : m_pWindow->findChildren<QPushButton *>())
                    if (!pButton->isEnabled())
                        greyed << pButton->objectName();
                Button("m_btnStop")->click();
            },
            QMessageBox::Yes, "Cancelled");
        greyed.sort();
        QCOMPARE(greyed, QStringList({"m_btnDelete", "m_btnDownload", "m_btnExport", "m_btnImport",
                                      "m_btnOpen", "m_btnPlay", "m_btnUpdate", "m_btnUpload"}));
        QVERIFY(Button("m_btnStop")->isHidden());
        QVERIFY(Button("m_btnUpload")->isEnabled());
    }

    void escapeStopsWithoutQuitting()
    {
        Start();
        const QString stopped = m_dir.filePath("escaped.wav");
        RunUpload(
            stopped, [this] { PressEscape(); }, QMessageBox::Yes, "Cancelled");
        QVERIFY(!QFileInfo::exists(stopped));
        QTest::qWait(50);
        QVERIFY(m_pWindow->isVisible());
        // The stop belonged to that upload only.
        const QString next = m_dir.filePath("next.wav");
        RunUpload(next, nullptr, QMessageBox::NoButton, "Successful !");
        QCOMPARE(QFileInfo(next).size(), QFileInfo(m_dir.filePath("kept.wav")).size());
    }

    void escapeDuringDownloadKeepsTheSong()
    {
        Start();
        const QString wav = m_dir.filePath("song.wav");
        RunUpload(wav, nullptr, QMessageBox::NoButton, "Successful !");
        List()->setCurrentRow(2);
        m_pAnswerer->Reset();
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Yes));
        m_pAnswerer->Expect(CDialogAnswerer::ChooseFile(wav));
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Yes));
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Ok));
        StopWhenUnderWay([this] { PressEscape(); });
        m_pWindow->findChild<QPushButton *>("m_btnDownload")->click();
        QVERIFY(m_pAnswerer->WaitForAll());
        QCOMPARE(m_pAnswerer->SeenTexts().last(), QString("Cancelled"));
        QCOMPARE(List()->item(2)->text(), QString("Song 003 -- (0.18  MB)"));
        CLooperSongTable table(m_pWindow->USBPort());
        QCOMPARE(table.LoadSongs(), int32_t(RESULT_OK));
        std::vector<uint8_t> bytes(table.Store(2)->GetSize());
        QCOMPARE(table.ReadSong(2, bytes.data(), uint32_t(bytes.size()), nullptr), int32_t(RESULT_OK));
        QVERIFY(bytes == Pattern(192 * 1000, 2));
    }

private:
    // As a person does, in the window they are looking at.
    void PressEscape()
    {
        QApplication::setActiveWindow(m_pWindow.get());
        QTest::keyClick(List(), Qt::Key_Escape);
    }
    void Start()
    {
        QMap<uint32_t, std::vector<uint8_t>> songs;
        songs[0] = Pattern(SONG_BYTES, 0);
        songs[2] = Pattern(192 * 1000, 2);
        QVERIFY(AttachLooperWithSongs(PULSE_RIG, songs));
        m_pAnswerer.reset(new CDialogAnswerer);
        m_pWindow.reset(new BrindleQT);
        ShowActive();
        List()->setCurrentRow(0);
    }
    // Calls stop once, as soon as the running operation has moved the bar.
    void StopWhenUnderWay(const std::function<void()> &stop)
    {
        if (!stop)
            return;
        auto *pTimer = new QTimer(m_pWindow.get());
        connect(pTimer, &QTimer::timeout, this, [this, pTimer, stop] {
            if (m_pWindow->Operation() == OP_NONE ||
                m_pWindow->findChild<QProgressBar *>("progressBar")->value() < 5)
                return;
            pTimer->stop();
            stop();
        });
        pTimer->start(1);
    }
    void RunUpload(const QString &path, const std::function<void()> &stop, QMessageBox::StandardButton answer,
                   const QString &result)
    {
        List()->setCurrentRow(0);
        m_pAnswerer->Reset();
        m_pAnswerer->Expect(CDialogAnswerer::ChooseFile(path));
        if (stop)
            m_pAnswerer->Expect(CDialogAnswerer::Press(answer));
        if (!result.isEmpty())
            m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Ok));
        StopWhenUnderWay(stop);
        Button("m_btnUpload")->click();
        QVERIFY(m_pAnswerer->WaitForAll());
        // With no result box expected, the caller checks that nothing followed the question.
        if (!result.isEmpty())
            QCOMPARE(m_pAnswerer->SeenTexts().last(), result);
        QTRY_COMPARE(m_pWindow->Operation(), int32_t(OP_NONE));
    }

    QTemporaryDir m_dir;
};

QTEST_MAIN(TestStopTransfer)
#include "tst_stoptransfer.moc"
