#include "CRecordingPresenter.h"
#include "CSimBus.h"
#include "CancelRequest.h"
#include "CliRun.h"
#include "JackTesting.h"
#include "LooperFlashFile.h"
#include "ToneMeasure.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {
const uint32_t SONG_RATE = 46875;
const uint32_t SONG_FRAMES = 2 * SONG_RATE;
const STone TONES[] = {{1000, 0.5}, {2500, 0.25}};

QByteArray ToneSong(uint32_t channels)
{
    QByteArray bytes;
    for (uint32_t k = 0; k < SONG_FRAMES * channels; ++k) {
        const STone &tone = TONES[k % channels];
        const long value = std::lround(tone.amplitude * 8388607 *
                                       std::sin(2 * M_PI * tone.frequency * (k / channels) / SONG_RATE));
        bytes.append(char(value)).append(char(value >> 8)).append(char(value >> 16));
    }
    return bytes;
}
} // namespace

// brindle-cli play on a JACK server of the test's own (dummy driver), heard by a JACK client of the test.
class TestPlayback : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { ClearCancel(); }

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
        CJackServer jackd;
        if (!jackd.Start(rate))
            QSKIP("jackd is not installed");
        CJackRecorder recorder;
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
};

QTEST_GUILESS_MAIN(TestPlayback)
#include "tst_playback.moc"
