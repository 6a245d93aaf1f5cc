#include "CPackageBuilder.h"
#include "CliRunner.h"
#include "WavBytes.h"

#include <QTemporaryDir>

#include <sndfile.h>

#include <cmath>
#include <vector>

#include <QJsonDocument>
#include <QtTest>

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void portsListsTheSimulatedPair()
    {
        CCliRunner cli;
        const SCliRun run = cli.Run({"ports"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains("Input ports:\n  0: Brindle Looper\n"), qPrintable(run.out));
        QVERIFY(run.out.contains("Output ports:\n  0: Brindle Looper\n"));
        QVERIFY(run.out.contains("Name-matched pairs:\n  in 0 / out 0: Brindle Looper\n"));
    }

    void infoDescribesTheDevice_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("expected");
        QTest::newRow("solo")
            << "10003"
            << "normal" << 0
            << "Model:    Corvel Solo\nProduct:  10003\nFirmware: V1.2.3\nLink:     normal\n";
        QTest::newRow("pulse rig") << "10002"
                                   << "normal" << 0 << "Model:    PULSE RIG\nProduct:  10002\n";
        QTest::newRow("unknown product")
            << "12345"
            << "normal" << 0 << "Model:    (not in the model table)\nProduct:  12345\n";
        QTest::newRow("identity unread")
            << "10003"
            << "unreadable" << 0
            << "Model:    Unknown Device\nProduct:  4294967295\nFirmware: V255.255.255\n";
        QTest::newRow("raw") << "10003"
                             << "raw" << 1 << "";
        QTest::newRow("silent") << "10003"
                                << "silent" << 3 << "";
    }
    void infoDescribesTheDevice()
    {
        QFETCH(QString, model);
        QFETCH(QString, mode);
        QFETCH(int, exitCode);
        QFETCH(QString, expected);
        CCliRunner cli;
        cli.Set("BRINDLE_SIM_MODEL", model);
        cli.Set("BRINDLE_SIM_MODE", mode);
        const SCliRun run = cli.Run({"info"});
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(expected.isEmpty() || run.out.startsWith(expected), qPrintable(run.out + run.err));
        if (mode == "raw")
            QVERIFY(run.err.contains(
                "You should enter update mode first! For how to enter update mode, please refer "
                "to the manual"));
    }

    void portChoice()
    {
        CCliRunner cli;
        cli.Set("BRINDLE_SIM_DEVICES", "2");
        QCOMPARE(cli.Run({"--port", "Brindle Looper 2", "info"}).exitCode, 0);
        QCOMPARE(cli.Run({"--in", "Brindle Looper", "--out", "Brindle Looper", "info"}).exitCode, 0);
        const SCliRun missing = cli.Run({"--port", "Nothing Here", "info"});
        QCOMPARE(missing.exitCode, 3);
        QVERIFY(missing.err.contains("No MIDI input port named \"Nothing Here\""));
        QCOMPARE(cli.Run({"info"}).exitCode, 0);
    }

    void inspectShowsWhatAPackageHolds()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("two.dat");
        QVERIFY(CPackageBuilder("10004")
                    .AddItem(CPackageBuilder::LayoutText(2, 0x10000, 16, 4096),
                             CPackageBuilder::PatternImage(10000, 1))
                    .AddItem("; no groups\n", CPackageBuilder::PatternImage(300, 2))
                    .Write(path));
        const SCliRun run = CCliRunner().Run({"inspect", path});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out,
                 QString("Product:  10004\nItems:    2\n"
                         "Item 1\n  layout: area 2, start 0x00010000, 16 sectors, total size 65536 bytes\n"
                         "  image:  10000 bytes decoded\n"
                         "Item 2\n  layout: no sectors\n  image:  300 bytes decoded\n"));

        const QString broken = dir.filePath("broken.dat");
        QVERIFY(CPackageBuilder("10004").CorruptHeaderByte(123).Write(broken));
        const SCliRun refused = CCliRunner().Run({"inspect", broken});
        QCOMPARE(refused.exitCode, 1);
        QCOMPARE(refused.err, QString("File header checksum Error\n"));
    }

    void updateProgramsTheSimulatedLooper()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("fw.dat");
        QVERIFY(CPackageBuilder("10003")
                    .AddItem(CPackageBuilder::LayoutText(2, 0x10000, 16, 4096),
                             CPackageBuilder::PatternImage(10000, 1))
                    .Write(path));
        SCliRun run = CCliRunner().Run({"update", path});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QString("M_SUCCESS\n"));

        QVERIFY(CPackageBuilder("10002")
                    .AddItem(CPackageBuilder::LayoutText(2, 0x10000, 16, 4096), "x")
                    .Write(path));
        run = CCliRunner().Run({"update", path});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, QString("File not match the connected device,please confirm\n"));

        CCliRunner silent;
        silent.Set("BRINDLE_SIM_MODE", "silent");
        QCOMPARE(silent.Run({"update", path}).exitCode, 3);
    }

    // On a terminal the progress line is ended before the closing message, not run into it.
    void progressLineEndsBeforeAMessage()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("fw.dat");
        QVERIFY(CPackageBuilder("10003")
                    .AddItem(CPackageBuilder::LayoutText(2, 0x10000, 16, 4096),
                             CPackageBuilder::PatternImage(10000, 1))
                    .Write(path));
        const SCliRun run = CCliRunner().RunOnTerminal({"update", path});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.endsWith("\r100%\r\nM_SUCCESS\r\n"), qPrintable(run.out.toUtf8().toHex(' ')));
    }

    // A file that cannot be read fails the operation (1) with the window's text, in every command.
    void unreadableFilesFailTheOperation_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("update") << QStringList{"update", "missing.dat"} << "Open file failed";
        QTest::newRow("inspect") << QStringList{"inspect", "missing.dat"} << "Open file failed";
        QTest::newRow("download") << QStringList{"download", "missing.wav", "1"}
                                  << "Open file failed ('%1': No such file or directory)";
        QTest::newRow("download of 32-bit float")
            << QStringList{"download", "float.wav", "1"}
            << "Wave file '%1' format not supported\nbrindle-cli import reads any audio file";
        QTest::newRow("download of no samples")
            << QStringList{"download", "empty.wav", "1"} << "Wave file '%1' has no samples";
    }
    void unreadableFilesFailTheOperation()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QFile floatWav(dir.filePath("float.wav"));
        QVERIFY(floatWav.open(QIODevice::WriteOnly));
        floatWav.write(WavBytes(1, 44100, 32, QByteArray(400, 'a')).replace(20, 2, LittleEndian16(3)));
        floatWav.close();
        QFile emptyWav(dir.filePath("empty.wav"));
        QVERIFY(emptyWav.open(QIODevice::WriteOnly));
        emptyWav.write(WavBytes(1, 44100, 16, QByteArray()));
        emptyWav.close();
        arguments[1] = dir.filePath(arguments[1]);
        const SCliRun run = CCliRunner().Run(arguments);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, (message.contains("%1") ? message.arg(arguments[1]) : message) + "\n");
    }

    void songCommandsRoundTrip()
    {
        QTemporaryDir dir;
        const CCliRunner cli(10002, dir.filePath("flash.bin"));
        SCliRun run = cli.Run({"list"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.count('\n'), 31);
        QVERIFY(run.out.endsWith("Free: 1970 of 1970 blocks, 484.80 MB, 60:14 of mono audio\n"));
        QVERIFY(run.out.startsWith("Song 001 -- (Empty)\nSong 002 -- (Empty)\n"));

        QFile wav(dir.filePath("in.wav"));
        QVERIFY(wav.open(QIODevice::WriteOnly));
        QByteArray samples;
        for (int i = 0; i < 46875; ++i)
            samples += char(i) + QByteArray(1, char(i >> 8)) + QByteArray(1, char(i >> 3));
        wav.write(DeviceFormWavBytes(samples));
        wav.close();
        run = cli.Run({"download", wav.fileName(), "2"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QString("Successful !\n"));
        QCOMPARE(run.out,
                 QString("Song 002 -- (0.13  MB)\nStored '%1' in slot 2: 0:00.999, 46875 Hz 24-bit mono → "
                         "46875 Hz 24-bit mono, the last 0.58 ms left out to whole sample groups\n")
                     .arg(wav.fileName()));
        QVERIFY(cli.Run({"list"}).out.contains("Song 002 -- (0.13  MB)  0:00.999\n"));

        QCOMPARE(cli.Run({"download", wav.fileName(), "2"}).exitCode, 2);
        run = cli.Run({"upload", "2", dir.filePath("out.wav")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(QFileInfo(dir.filePath("out.wav")).size() > 46 + 140000);
        QCOMPARE(cli.Run({"upload", "3", dir.filePath("none.wav")}).exitCode, 1);
        QCOMPARE(cli.Run({"delete", "2"}).exitCode, 2);
        QCOMPARE(cli.Run({"delete", "31", "--yes"}).exitCode, 2);
        run = cli.Run({"delete", "2", "--yes"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QString("Song 002 -- (Empty)\n"));
        QVERIFY(cli.Run({"list"}).out.startsWith("Song 001 -- (Empty)\nSong 002 -- (Empty)\n"));
    }

    // With no simulator variable the looper is the demo PULSE RIG: three synthesised songs, each
    // audible, kept in a file between commands until that file is removed.
    void demoLooperHoldsThreeSongs()
    {
        QTemporaryDir dir;
        CCliRunner cli;
        cli.Set("BRINDLE_SIM_MODEL", "");
        const QString demoFile = cli.DemoFlashFile();
        SCliRun run = cli.Run({"list"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, "Demo looper (songs kept in " + demoFile + "; remove it to start over)\n");
        QVERIFY2(run.out.startsWith(
                     "Song 001 -- (0.54  MB)  0:03.999\nSong 002 -- (0.54  MB)  0:03.999\n"
                     "Song 003 -- (Empty)\nSong 004 -- (0.54  MB)  0:03.999\nSong 005 -- (Empty)\n"),
                 qPrintable(run.out));
        QVERIFY(cli.Run({"info"}).out.startsWith("Model:    PULSE RIG\n"));
        for (const QString slot : {"1", "2", "4"}) {
            const QString path = dir.filePath(slot + ".wav");
            QCOMPARE(cli.Run({"upload", slot, path}).exitCode, 0);
            SF_INFO info{};
            SNDFILE *file = sf_open(path.toUtf8().constData(), SFM_READ, &info);
            QVERIFY(file);
            std::vector<double> samples(size_t(info.frames * info.channels));
            QCOMPARE(sf_read_double(file, samples.data(), sf_count_t(samples.size())),
                     sf_count_t(samples.size()));
            sf_close(file);
            QCOMPARE(double(info.frames) / info.samplerate > 3.9, true);
            double energy = 0.0;
            for (const double sample : samples)
                energy += sample * sample;
            QVERIFY2(std::sqrt(energy / double(samples.size())) > 0.05, qPrintable(slot));
        }
        QCOMPARE(cli.Run({"delete", "2", "--yes"}).exitCode, 0);
        const QString drums = "Song 001 -- (0.54  MB)  0:03.999\n";
        QVERIFY(cli.Run({"list"}).out.startsWith(drums + "Song 002 -- (Empty)\n"));
        QVERIFY(QFile::remove(demoFile));
        QVERIFY(cli.Run({"list"}).out.startsWith(drums + "Song 002 -- (0.54  MB)  0:03.999\n"));
        cli.Set("BRINDLE_SIM_FLASH", dir.filePath("flash.bin"));
        QVERIFY(cli.Run({"list"}).out.startsWith("Song 001 -- (Empty)\n"));
    }

    // Names live on the computer, keyed by the song: list shows them after each song's length, a
    // deleted song takes its name along, and a names file that cannot be read is left alone.
    void namesFollowTheirSongs()
    {
        QTemporaryDir dir;
        const CCliRunner cli(10002, dir.filePath("flash.bin"));
        QFile wav(dir.filePath("in.wav"));
        QVERIFY(wav.open(QIODevice::WriteOnly));
        wav.write(DeviceFormWavBytes(QByteArray(3 * 46875, '\x11')));
        wav.close();
        QCOMPARE(cli.Run({"download", wav.fileName(), "2"}).exitCode, 0);
        SCliRun run = cli.Run({"name", "2", "Drum", "loop"});
        QCOMPARE(run.out, QString("Song 002 -- (0.13  MB)  0:00.999  Drum loop\n"));
        QCOMPARE(cli.Run({"name", "2"}).out, QString("Drum loop\n"));
        QVERIFY(cli.Run({"list"}).out.contains(
            "(Empty)\nSong 002 -- (0.13  MB)  0:00.999  Drum loop\nSong 003 -- (Empty)\n"));
        const QJsonValue song = QJsonDocument::fromJson(cli.Run({"list", "--json"}).out.toUtf8())["slots"][1];
        QCOMPARE(song["name"].toString(), QString("Drum loop"));
        QCOMPARE(song["seconds"].toDouble(), 0.999);
        QCOMPARE(cli.Run({"name", "3", "Bass"}).err, QString("brindle-cli: slot 3 holds no song\n"));
        QCOMPARE(cli.Run({"name", "2", ""}).out, QString("Song 002 -- (0.13  MB)  0:00.999\n"));

        QCOMPARE(cli.Run({"name", "2", "Drum loop"}).exitCode, 0);
        QCOMPARE(cli.Run({"delete", "2", "--yes"}).exitCode, 0);
        QFile names(cli.NamesFile());
        QVERIFY(names.open(QIODevice::ReadOnly));
        QVERIFY(!names.readAll().contains("Drum loop"));
        names.close();

        QCOMPARE(cli.Run({"download", wav.fileName(), "2"}).exitCode, 0);
        QVERIFY(names.open(QIODevice::WriteOnly | QIODevice::Truncate) && names.write("{\"names\":") == 9);
        names.close();
        run = cli.Run({"name", "2", "Bass"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("names.json cannot be read, so it is left as it is"), qPrintable(run.err));
        QCOMPARE(QFileInfo(names).size(), 9);
    }

    void audioFilesInAndOut()
    {
        QTemporaryDir dir;
        const CCliRunner cli(10004, dir.filePath("flash.bin"));
        const QString input = dir.filePath("stereo.flac");
        QVERIFY(WriteStereoFlac(input));
        SCliRun run = cli.Run({"import", input, "1", "--verify"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QString("Successful !\n"));
        QCOMPARE(run.out,
                 "Song 001 -- (0.13  MB)\nStored '" + input +
                     "' in slot 1: 0:00.501, 44100 Hz 16-bit stereo → 46875 Hz 24-bit stereo, padded 1.3 "
                     "ms of silence to whole sample groups\n");
        QCOMPARE(cli.Run({"import", input, "1"}).exitCode, 2);
        QCOMPARE(cli.Run({"import", input, "1", "--yes", "--channel", "left", "--verify"}).exitCode, 0);

        run = cli.Run({"export", "1", dir.filePath("song.ogg")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QString("Successful !\n"));
        QCOMPARE(run.out, "Saved slot 1 as '" + dir.filePath("song.ogg") +
                              "': 0:00.501, 46875 Hz 24-bit stereo → 48000 Hz stereo Ogg Vorbis\n");
        QCOMPARE(FileLayout(dir.filePath("song.ogg")), QString("2 channels, 48000 Hz, 0x200060"));
        QCOMPARE(
            cli.Run({"export", "1", dir.filePath("song.wav"), "--rate", "46875", "--bits", "32f"}).exitCode,
            0);
        QCOMPARE(FileLayout(dir.filePath("song.wav")), QString("2 channels, 46875 Hz, 0x10006"));
        run = cli.Run({"export", "1", dir.filePath("song.mp3")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("could not be written: the file name must end in .wav"),
                 qPrintable(run.err));
        QVERIFY(!QFile::exists(dir.filePath("song.mp3")));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no command") << QStringList{};
        QTest::newRow("unknown command") << QStringList{"frobnicate"};
        QTest::newRow("unknown option") << QStringList{"--loud", "info"};
        QTest::newRow("option without value") << QStringList{"info", "--port"};
        QTest::newRow("port and in") << QStringList{"--port", "a", "--in", "b", "--out", "c", "info"};
        QTest::newRow("unknown api") << QStringList{"--api", "carrier-pigeon", "ports"};
        QTest::newRow("unknown channel") << QStringList{"import", "a.wav", "1", "--channel", "centre"};
        QTest::newRow("unknown width") << QStringList{"export", "1", "a.wav", "--bits", "12"};
        QTest::newRow("rate out of range") << QStringList{"export", "1", "a.wav", "--rate", "400"};
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        const SCliRun run = CCliRunner().Run(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.err.contains("usage: brindle-cli"));
    }

private:
    // Half a second of two tones, 44100 Hz 16-bit.
    static bool WriteStereoFlac(const QString &path)
    {
        SF_INFO info = {};
        info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
        info.samplerate = 44100;
        info.channels = 2;
        SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
        if (!file)
            return false;
        std::vector<float> frames;
        for (int k = 0; k < 22050; ++k) {
            frames.push_back(0.5f * float(std::sin(k * 0.1)));
            frames.push_back(0.25f * float(std::sin(k * 0.3)));
        }
        sf_writef_float(file, frames.data(), 22050);
        return sf_close(file) == 0;
    }
    static QString FileLayout(const QString &path)
    {
        SF_INFO info = {};
        SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
        if (!file)
            return QString("unreadable");
        sf_close(file);
        return QString("%1 channels, %2 Hz, 0x%3")
            .arg(info.channels)
            .arg(info.samplerate)
            .arg(info.format, 0, 16);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
