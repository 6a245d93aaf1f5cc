#include "BrindleQT.h"
#include "CDialogAnswerer.h"
#include "CSimBus.h"
#include "Settings.h"
#include "SimulatedLoopers.h"
#include "WindowTest.h"
#include "WindowTestEnd.h"
#include "SongListMenu.h"
#include "ToneMeasure.h"

#include <QApplication>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include <sndfile.h>

namespace {
const STone TONE{1000, 0.5};

// SNR in dB of a one-channel 48000 Hz file against the tone; 0 for another layout.
double ToneSnr(const QString &path)
{
    uint32_t channels = 0;
    uint32_t rate = 0;
    const std::vector<double> samples = ReadSoundFile(path, channels, rate);
    return channels == 1 && rate == 48000 ? SnrAgainstTone(samples, 48000, TONE) : 0;
}
} // namespace

// The song list's audio file actions, driven as a user drives them, against a simulated looper.
class TestAudioFileMenu : public CWindowTest {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        UseSimulatedLoopersInWindow();
        QVERIFY(
            WriteToneFile(m_dir.filePath("tone.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, {TONE}, 48000));
    }
    void cleanup() { EndWindowTest(m_pWindow, m_pAnswerer); }

    void menuImportsAndExports()
    {
        Start();
        QCOMPARE(ChooseFromMenu(4, "Export…"),
                 QStringList({"Import audio file…", "-Export…", "-Move to slot…", "Swap with slot…",
                              "Back up all songs…", "Restore from backup…"}));

        m_pAnswerer->Expect(CDialogAnswerer::ChooseFile(m_dir.filePath("tone.wav")));
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Ok));
        ChooseFromMenu(4, "Import audio file…");
        QVERIFY(m_pAnswerer->WaitForAll());
        QCOMPARE(m_pAnswerer->Seen().value(0).strTitle, QString("Import audio file"));
        QCOMPARE(m_pAnswerer->SeenTexts().last(), QString("Successful !"));
        QCOMPARE(List()->item(4)->text(), QString("Song 005 -- (0.13  MB)"));
        VerifyFinished();

        m_pAnswerer->Reset();
        const QString output = m_dir.filePath("export.flac");
        m_pAnswerer->Expect(CDialogAnswerer::ChooseFile(output));
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Ok));
        QCOMPARE(ChooseFromMenu(4, "Export…"),
                 QStringList({"Import audio file…", "Export…", "Move to slot…", "Swap with slot…",
                              "Back up all songs…", "Restore from backup…"}));
        QVERIFY(m_pAnswerer->WaitForAll());
        QCOMPARE(m_pAnswerer->Seen().value(0).strText, QString("Song 005.wav"));
        QCOMPARE(m_pAnswerer->SeenTexts().last(), QString("Successful !"));
        VerifyFinished();
        const double snr = ToneSnr(output);
        QVERIFY2(snr >= 110, qPrintable(QString::number(snr)));
    }

    void dropOnARowImportsAfterTheOverwriteQuestion()
    {
        Start();
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::No));
        QVERIFY(Drop(2, m_dir.filePath("tone.wav")));
        QVERIFY(m_pAnswerer->WaitForAll());
        QCOMPARE(m_pAnswerer->Seen().value(0).strTitle, QString("Overwrite warning"));
        QCOMPARE(m_pAnswerer->SeenTexts(),
                 QStringList{"'Song 003 -- (0.00  MB)' already exist, continue to overwrite the song?"});
        QCOMPARE(List()->item(2)->text(), QString("Song 003 -- (0.00  MB)"));

        m_pAnswerer->Reset();
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Yes));
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Ok));
        QVERIFY(Drop(2, m_dir.filePath("tone.wav")));
        QVERIFY(m_pAnswerer->WaitForAll());
        QCOMPARE(m_pAnswerer->SeenTexts().last(), QString("Successful !"));
        QCOMPARE(List()->item(2)->text(), QString("Song 003 -- (0.13  MB)"));
        QVERIFY(List()->item(2)->isSelected());
        VerifyFinished();
        QVERIFY(!Drop(2, QString()));
    }

    // The buttons and keys do what the menu does; a name typed without an extension gets the chosen
    // type's before the dialog checks for a file of that name, which is not replaced unasked.
    void buttonsImportAndExport()
    {
        Start();
        ShowActive();
        List()->setCurrentRow(4);
        QVERIFY(!Button("m_btnExport")->isEnabled());
        m_pAnswerer->Expect(CDialogAnswerer::ChooseFile(m_dir.filePath("tone.wav")));
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Ok));
        QTest::keyClick(List(), Qt::Key_I, Qt::ControlModifier);
        QVERIFY(m_pAnswerer->WaitForAll());
        QCOMPARE(m_pAnswerer->SeenTexts().last(), QString("Successful !"));
        QVERIFY(Button("m_btnExport")->isEnabled());

        QFile kept(m_dir.filePath("kept.wav"));
        QVERIFY(kept.open(QIODevice::WriteOnly) && kept.write("mine") == 4);
        kept.close();
        m_pAnswerer->Reset();
        m_pAnswerer->Expect(CDialogAnswerer::ChooseFile(m_dir.filePath("kept")));
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::No));
        m_pAnswerer->Expect(CDialogAnswerer::CancelFile());
        Button("m_btnExport")->click();
        QVERIFY(m_pAnswerer->WaitForAll());
        QVERIFY(m_pAnswerer->SeenTexts().value(1).startsWith("kept.wav already exists."));
        QCOMPARE(QFileInfo(kept).size(), 4);
    }

private:
    void Start()
    {
        m_pDevice = AttachLooperWithSongs(10002, {{2, std::vector<uint8_t>(3000, 0x11)}});
        QVERIFY(m_pDevice);
        m_pAnswerer.reset(new CDialogAnswerer);
        m_pWindow.reset(new BrindleQT);
    }
    QStringList ChooseFromMenu(int row, const QString &action)
    {
        return ChooseFromSongListMenu(List(), row, action);
    }
    // Drops the file (no path: some text) on a row; true when the drop was taken.
    bool Drop(int row, const QString &path)
    {
        const QPoint pos = List()->visualItemRect(List()->item(row)).center();
        QMimeData data;
        if (path.isEmpty())
            data.setText("some words");
        else
            data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(pos, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(List()->viewport(), &enter);
        QDropEvent drop(pos, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(List()->viewport(), &drop);
        return enter.isAccepted() && drop.isAccepted();
    }
    // Back to idle, after the bar moved.
    void VerifyFinished()
    {
        QCOMPARE(m_pWindow->Operation(), int32_t(OP_NONE));
        auto *bar = m_pWindow->findChild<QProgressBar *>("progressBar");
        QVERIFY(bar->isHidden());
        QVERIFY(bar->value() > 50);
    }

    QTemporaryDir m_dir;
    std::shared_ptr<CSimDevice> m_pDevice;
};

QTEST_MAIN(TestAudioFileMenu)
#include "tst_audiofilemenu.moc"
