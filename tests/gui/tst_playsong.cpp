#include "BrindleQT.h"
#include "CDialogAnswerer.h"
#include "CSimBus.h"
#include "CWaveformView.h"
#include "JackTesting.h"
#include "SimulatedLoopers.h"
#include "WindowTestEnd.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

// Play in the window, on a JACK server of the test's own, heard by a JACK client of the test.
class TestPlaySong : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { UseSimulatedLoopersInWindow(); }
    void cleanup() { EndWindowTest(m_pWindow, m_pAnswerer); }

    // A 5 s song, longer than an overview reads whole: stopped by Stop and by a row change while it is
    // read, then played to the end from the looper, then again from the cache alone.
    void playsTheSelectedSong()
    {
        std::vector<uint8_t> song(5 * 46875 * 3);
        for (size_t k = 0; k < song.size(); ++k)
            song[k] = uint8_t(std::lround(0.5 * 8388607 * std::sin(k / 3 * 0.134)) >> (8 * (k % 3)));
        m_pDevice = AttachLooperWithSongs(10002, {{1, song}});
        CSimBus::Instance().SetUsbWirePace(true);
        qputenv("BRINDLE_AUDIO_API", "jack");
        qputenv("JACK_DEFAULT_SERVER", "brindle-no-server");
        m_pAnswerer.reset(new CDialogAnswerer);
        m_pWindow.reset(new BrindleQT);
        m_pWindow->show();
        QApplication::setActiveWindow(m_pWindow.get());
        List()->setCurrentRow(1);
        // The connection monitor's first look, then the overview, come before what is counted here.
        QTest::qWait(1300);
        QTRY_VERIFY(Waveform()->HasPeaks());
        const size_t nBefore = m_pDevice->Requests().size();
        QTest::keyClick(List(), Qt::Key_Space);
        QCOMPARE(m_pWindow->findChild<QLabel *>("m_lblSongFacts")->text(),
                 QString("No audio output found (tried JACK)"));
        QCOMPARE(m_pDevice->Requests().size(), nBefore);

        CJackServer jackd;
        if (!jackd.Start("48000"))
            QSKIP("jackd is not installed");
        qputenv("BRINDLE_AUDIO_DEVICE", "recorder");
        for (int nTime = 0; nTime < 4; ++nTime) {
            CJackRecorder recorder;
            QVERIFY(recorder.Open());
            List()->setCurrentRow(1);
            QCOMPARE(Waveform()->PeaksExact(), nTime == 3);
            m_pDevice->ClearRequests();
            QTest::keyClick(List(), Qt::Key_Space);
            if (nTime < 2) {
                QTRY_VERIFY(Waveform()->PlayCursor() > 0.05);
                nTime == 0 ? Play()->click() : List()->setCurrentRow(0);
                QCOMPARE(Play()->text(), QString("Play"));
                const size_t nRequests = m_pDevice->Requests().size();
                QTest::qWait(200);
                QCOMPARE(m_pDevice->Requests().size(), nRequests);
                continue;
            }
            QTRY_COMPARE_WITH_TIMEOUT(Play()->text(), QString("Play"), 20000);
            QVERIFY(Waveform()->PeaksExact());
            QCOMPARE(m_pDevice->Requests().empty(), nTime == 3);
            recorder.Close();
            QVERIFY2(std::fabs(recorder.Sound(1).size() / (5 * 48000.0) - 1) < 0.01,
                     qPrintable(QString::number(recorder.Sound(1).size())));
        }
    }

private:
    CWaveformView *Waveform() { return m_pWindow->findChild<CWaveformView *>("m_waveform"); }
    QListWidget *List() { return m_pWindow->findChild<QListWidget *>("m_lstSong"); }
    QPushButton *Play() { return m_pWindow->findChild<QPushButton *>("m_btnPlay"); }

    std::shared_ptr<CSimDevice> m_pDevice;
    std::unique_ptr<CDialogAnswerer> m_pAnswerer;
    std::unique_ptr<BrindleQT> m_pWindow;
};

QTEST_MAIN(TestPlaySong)
#include "tst_playsong.moc"
