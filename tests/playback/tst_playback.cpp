#include "BrindleQT.h"
#include "CDialogAnswerer.h"
#include "CRecordingPresenter.h"
#include "CSimBus.h"
#include "CWaveformView.h"
#include "CancelRequest.h"
#include "CliRun.h"
#include "LooperFlashFile.h"
#include "SimulatedLoopers.h"
#include "ToneMeasure.h"
#include "WindowTestEnd.h"

#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <jack/jack.h>

#include <cmath>
#include <utility>

namespace {
const uint32_t SONG_RATE = 46875;
const uint32_t SONG_FRAMES = 2 * SONG_RATE;
const STone TONES[] = {{1000, 0.5}, {2500, 0.25}};

// Records its two inputs from its start, and every connection made in the graph.
struct SJackRecorder {
    // Closing joins the client's threads: what they recorded may be read from then on.
    void Close()
    {
        if (client)
            jack_client_close(std::exchange(client, nullptr));
    }
    ~SJackRecorder() { Close(); }
    // Tries for a while: a server just started takes a moment to answer.
    bool Open()
    {
        for (int tries = 0; tries < 50 && !TryOpen(); ++tries)
            Close(), QTest::qWait(100);
        return client != nullptr;
    }
    bool TryOpen()
    {
        client = jack_client_open("recorder", JackNoStartServer, nullptr);
        for (int c = 0; client && c < 2; ++c)
            ports[c] = jack_port_register(client, c ? "2" : "1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        return client && jack_set_process_callback(client, &Record, this) == 0 &&
               jack_set_port_connect_callback(client, &Connected, this) == 0 && jack_activate(client) == 0;
    }
    static int Record(jack_nframes_t count, void *user)
    {
        auto *self = static_cast<SJackRecorder *>(user);
        const size_t kept = std::min<size_t>(count, self->samples[0].size() - self->frames);
        for (int c = 0; c < 2; ++c) {
            const auto *input = static_cast<const float *>(jack_port_get_buffer(self->ports[c], count));
            std::copy(input, input + kept, self->samples[c].begin() + self->frames);
        }
        self->frames += kept;
        return 0;
    }
    static void Connected(jack_port_id_t a, jack_port_id_t b, int connect, void *user)
    {
        auto *self = static_cast<SJackRecorder *>(user);
        if (connect)
            self->connections << QString(jack_port_name(jack_port_by_id(self->client, a))) + ">" +
                                     jack_port_name(jack_port_by_id(self->client, b));
    }
    // A channel from its first to its last sound.
    std::vector<double> Sound(int channel) const
    {
        const auto begin = samples[channel].begin();
        const auto loud = [](float sample) { return std::fabs(sample) > 1e-3f; };
        const auto first = std::find_if(begin, begin + frames, loud);
        const auto last =
            std::find_if(std::make_reverse_iterator(begin + frames), std::make_reverse_iterator(first), loud);
        return std::vector<double>(first, last.base());
    }
    jack_client_t *client = nullptr;
    jack_port_t *ports[2] = {};
    std::vector<float> samples[2] = {std::vector<float>(8 * 48000), std::vector<float>(8 * 48000)};
    size_t frames = 0;
    QStringList connections;
};

// The process's default server, with the dummy driver. Synchronous: on a busy machine it waits for a
// late client instead of dropping what the client was to pass on. It ends with its last client, also
// when the test dies; JACK's machine-wide table holds a few servers and frees the entry of one that
// did not end cleanly only for a server of the same name, so the name is the program's own.
struct SJackServer : QProcess {
    bool Start(const QString &rate)
    {
        const QString name =
            "brindle-playback-" + QString::number(qHash(QCoreApplication::applicationDirPath()));
        qputenv("JACK_DEFAULT_SERVER", name.toUtf8());
        start("jackd", {"-n", name, "--no-realtime", "-S", "-T", "-t", "10000", "-d", "dummy", "-r", rate});
        return waitForStarted();
    }
    ~SJackServer() override
    {
        terminate();
        if (!waitForFinished(5000))
            kill(), waitForFinished();
    }
};

QByteArray ToneSong(uint32_t channels, uint32_t frames = SONG_FRAMES)
{
    QByteArray bytes;
    for (uint32_t k = 0; k < frames * channels; ++k) {
        const STone &tone = TONES[k % channels];
        const long value = std::lround(tone.amplitude * 8388607 *
                                       std::sin(2 * M_PI * tone.frequency * (k / channels) / SONG_RATE));
        bytes.append(char(value)).append(char(value >> 8)).append(char(value >> 16));
    }
    return bytes;
}
} // namespace

// brindle-cli play and the window's Play on a JACK server of the test's own, so that the client names,
// the rate and the load are the test's, heard by a JACK client of the test.
class TestPlayback : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        ClearCancel();
        EndWindowTest(m_pWindow, m_pAnswerer);
    }

    void playsWhatTheLooperHolds_data()
    {
        QTest::addColumn<QStringList>("play"); // channels, wire, rate, from, device, signal at, message
        QTest::newRow("mono, at once") << QStringList{"1", "", "48000", "0", "recorder", "", ""};
        QTest::newRow("stereo, usb-fs") << QStringList{"2", "usb-fs", "44100", "0", "recorder", "", ""};
        QTest::newRow("from 1.5 s") << QStringList{"1", "usb-fs", "48000", "1.5", "recorder", "", ""};
        QTest::newRow("default output") << QStringList{"2", "", "48000", "1.8", "", "", ""};
        QTest::newRow("Ctrl-C, usb-fs") << QStringList{"1", "usb-fs", "48000", "0", "recorder", "120:2", ""};
        QTest::newRow("no output") << QStringList{
            "1", "", "48000", "0", "x", "", "No audio output named \"x\" (tried JACK)"};
    }
    void playsWhatTheLooperHolds()
    {
        QFETCH(QStringList, play);
        const QString &wire = play[1], &rate = play[2], &from = play[3], &device = play[4],
                      &signalAt = play[5];
        const uint32_t channels = play[0].toUInt();
        const uint32_t model = channels == 2 ? 10004 : 10003;
        QTemporaryDir folder;
        CSimBus::Instance().SetUsbWirePace(false);
        QVERIFY(LooperFlashFile::Write(folder.filePath("flash"), model, {{0, ToneSong(channels)}}));
        qputenv("BRINDLE_MIDI_API", "simulator");
        qputenv("BRINDLE_SIM_MODEL", QByteArray::number(model));
        qputenv("BRINDLE_SIM_FLASH", folder.filePath("flash").toUtf8());
        qputenv("BRINDLE_SIM_WIRE", wire.toUtf8());
        qputenv("BRINDLE_SIM_SIGNAL", signalAt.toUtf8());
        SJackServer jackd;
        if (!jackd.Start(rate))
            QSKIP("jackd is not installed");
        SJackRecorder recorder;
        QVERIFY(recorder.Open());
        const QStringList output = device.isEmpty() ? QStringList() : QStringList{"--audio-device", device};
        CRecordingPresenter presenter;
        const int status = RunCli(QStringList{"play", "1", "--audio-api", "jack", "--from", from} + output);
        QCOMPARE(presenter.texts, play[6].isEmpty() ? QStringList() : QStringList{play[6]});
        QCOMPARE(status, !signalAt.isEmpty() ? 130 : play[6].isEmpty() ? 0 : 1);

        const QString target = device.isEmpty() ? "system:playback_" : "recorder:";
        recorder.Close();
        const QStringList connections{"brindle:outport 0>" + target + "1",
                                      "brindle:outport 1>" + target + "2"};
        QCOMPARE(recorder.connections, play[6].isEmpty() ? connections : QStringList());
        const double frames = (SONG_FRAMES - from.toDouble() * SONG_RATE) * rate.toDouble() / SONG_RATE;
        const double heard = recorder.Sound(0).size();
        const bool whole = signalAt.isEmpty() && device == "recorder";
        QVERIFY2(whole ? std::fabs(heard / frames - 1) < 0.01 : heard < 0.9 * frames,
                 qPrintable(QString::number(heard)));
        for (int c = 0; c < 2 && whole; ++c) {
            const STone &tone = TONES[c % channels];
            const double snr = SnrAfterFit(recorder.Sound(c), rate.toUInt(), tone.frequency);
            const double level = ToneLevelDb(recorder.Sound(c), rate.toUInt(), tone.frequency);
            QVERIFY2(snr >= 90 && std::fabs(level - 20 * std::log10(tone.amplitude)) < 0.01,
                     qPrintable(QStringLiteral("%1 dB SNR, %2 dBFS").arg(snr).arg(level)));
        }
    }

    // In the window, a 5 s song (more than an overview reads whole): stopped by Stop and by a row
    // change while it is read, then played to the end from the looper, then again from the cache.
    void windowPlaysTheSelectedSong()
    {
        UseSimulatedLoopersInWindow();
        const QByteArray song = ToneSong(1, 5 * SONG_RATE);
        m_pDevice = AttachLooperWithSongs(10002, {{1, std::vector<uint8_t>(song.begin(), song.end())}});
        CSimBus::Instance().SetUsbWirePace(true);
        qputenv("BRINDLE_AUDIO_API", "jack");
        qputenv("JACK_DEFAULT_SERVER", "brindle-no-server");
        m_pAnswerer.reset(new CDialogAnswerer);
        m_pWindow.reset(new BrindleQT);
        m_pWindow->show();
        QApplication::setActiveWindow(m_pWindow.get());
        auto *list = m_pWindow->findChild<QListWidget *>("m_lstSong");
        auto *waveform = m_pWindow->findChild<CWaveformView *>("m_waveform");
        auto *play = m_pWindow->findChild<QPushButton *>("m_btnPlay");
        list->setCurrentRow(1);
        // The connection monitor's first look, then the overview, come before what is counted here.
        QTest::qWait(1300);
        QTRY_VERIFY(waveform->HasPeaks());
        m_pDevice->ClearRequests();
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(m_pWindow->findChild<QLabel *>("m_lblSongFacts")->text(),
                 QString("No audio output found (tried JACK)"));
        QVERIFY(m_pDevice->Requests().empty());

        SJackServer jackd;
        if (!jackd.Start("48000"))
            QSKIP("jackd is not installed");
        qputenv("BRINDLE_AUDIO_DEVICE", "recorder");
        for (int time = 0; time < 4; ++time) {
            SJackRecorder recorder;
            QVERIFY(recorder.Open());
            list->setCurrentRow(1);
            QCOMPARE(waveform->PeaksExact(), time == 3);
            m_pDevice->ClearRequests();
            QTest::keyClick(list, Qt::Key_Space);
            if (time < 2) {
                QTRY_VERIFY(waveform->PlayCursor() > 0.01);
                time == 0 ? play->click() : list->setCurrentRow(0);
                QCOMPARE(play->text(), QString("Play"));
                const size_t requests = m_pDevice->Requests().size();
                QTest::qWait(200);
                QCOMPARE(m_pDevice->Requests().size(), requests);
                continue;
            }
            QTRY_COMPARE_WITH_TIMEOUT(play->text(), QString("Play"), 20000);
            QVERIFY(waveform->PeaksExact());
            QCOMPARE(m_pDevice->Requests().empty(), time == 3);
            recorder.Close();
            const double heard = recorder.Sound(1).size();
            QVERIFY2(std::fabs(heard / (5 * 48000) - 1) < 0.01, qPrintable(QString::number(heard)));
        }
    }

private:
    std::shared_ptr<CSimDevice> m_pDevice;
    std::unique_ptr<CDialogAnswerer> m_pAnswerer;
    std::unique_ptr<BrindleQT> m_pWindow;
};

QTEST_MAIN(TestPlayback)
#include "tst_playback.moc"
