#include "CBackupSnapshots.h"
#include "CLooperSongTable.h"
#include "CMidiBackend.h"
#include "CPackageBuilder.h"
#include "CSimBus.h"
#include "CSimulatorBackend.h"
#include "CUSBPort.h"
#include "FileBytes.h"
#include "CliRunner.h"
#include "ResultCodes.h"
#include "SongVerify.h"
#include "LooperFlashFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <QtTest>

#include <csignal>

namespace {
const uint32_t PULSE_RIG = 10002;
// Song area address of the first record page of a PULSE RIG slot's FAT block.
const uint32_t PULSE_RIG_BLOCK_SIZE = 0x40000;
const uint32_t PULSE_RIG_DATA_BLOCKS = 1970;

QByteArray Pattern(int size, int seed)
{
    QByteArray bytes(size, '\0');
    uint32_t state = uint32_t(seed) * 2654435761u + 1;
    for (char &byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = char(state >> 24);
    }
    return bytes;
}

QString Sha256(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// What sox reads from a WAV file: rate, bits, channels, frames.
QString SoxInfo(const QString &path)
{
    QStringList values;
    for (const char *option : {"-r", "-b", "-c", "-s"}) {
        QProcess sox;
        sox.start("soxi", {option, path});
        if (!sox.waitForFinished(10000))
            return "soxi did not finish";
        values << QString::fromUtf8(sox.readAllStandardOutput()).trimmed();
    }
    return values.join(' ');
}

QJsonObject Manifest(const QString &folder)
{
    return QJsonDocument::fromJson(ReadAll(QDir(folder).filePath("manifest.json"))).object();
}

// How many snapshots the folder holds, when every song of each reads whole; 0 otherwise.
int ReadableSnapshots(const QString &folder)
{
    CBackupSnapshots snapshots;
    SBackupManifest chosen;
    QByteArray file;
    bool whole = snapshots.Open(folder);
    for (size_t k = 0; whole && k < snapshots.All().size(); ++k) {
        whole = snapshots.Select(snapshots.All()[k].created, chosen);
        for (const SBackupSong &song : chosen.songs)
            whole = whole && snapshots.ReadSong(song, file);
    }
    return whole ? int(snapshots.All().size()) : 0;
}
} // namespace

// Backup, restore, verified writes, damaged slots and cancel, through brindle-cli against the
// simulator, with the flash read back in this process.
class TestBackup : public QObject {
    Q_OBJECT

private slots:
    void roundTripIsLossless_data()
    {
        QTest::addColumn<uint32_t>("productId");
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QList<int>>("songSlots");
        QTest::newRow("PULSE RIG") << 10002u << 192 << 1 << QList<int>{0, 1, 29};
        QTest::newRow("Corvel Solo") << 10003u << 186 << 1 << QList<int>{0};
        QTest::newRow("Corvel Double") << 10004u << 372 << 2 << QList<int>{0};
    }
    void roundTripIsLossless()
    {
        QFETCH(uint32_t, productId);
        QFETCH(int, group);
        QFETCH(int, channels);
        QFETCH(QList<int>, songSlots);
        QMap<uint32_t, QByteArray> songs;
        for (const int slot : songSlots)
            songs[uint32_t(slot)] = Pattern(group * (1400 + 600 * int(songs.size())), slot + int(productId));
        const QString flash = m_dir.filePath("round.flash");
        QVERIFY(LooperFlashFile::Write(flash, productId, songs));
        const CCliRunner cli(productId, flash);

        const QString first = m_dir.filePath("first");
        SCliRun run = cli.Run({"backup", first});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject manifest = Manifest(first);
        QCOMPARE(manifest.value("format").toString(), QString("brindle-backup"));
        QCOMPARE(manifest.value("productId").toInt(), int(productId));
        QCOMPARE(manifest.value("firmware").toString(), QString("1.2.3"));
        QCOMPARE(manifest.value("slots").toArray().size(), songs.size());
        for (auto song = songs.begin(); song != songs.end(); ++song) {
            const QString name = QString::asprintf("Song %.3u.wav", song.key() + 1);
            const QString path = QDir(first).filePath(name);
            const QByteArray wav = ReadAll(path);
            QCOMPARE(wav.mid(wav.size() - song.value().size()), song.value());
            QCOMPARE(SoxInfo(path),
                     QString("46875 24 %1 %2").arg(channels).arg(song.value().size() / 3 / channels));
            const QJsonObject entry =
                manifest.value("slots").toArray().at(int(std::distance(songs.begin(), song))).toObject();
            QCOMPARE(entry.value("slot").toInt(), int(song.key() + 1));
            QCOMPARE(entry.value("file").toString(), name);
            QCOMPARE(entry.value("bytes").toInt(), song.value().size());
            QCOMPARE(entry.value("sha256").toString(), Sha256(song.value()));
        }

        for (auto song = songs.begin(); song != songs.end(); ++song)
            QCOMPARE(cli.Run({"delete", QString::number(song.key() + 1), "--yes"}).exitCode, 0);
        run = cli.Run({"restore", first});
        QCOMPARE(run.exitCode, 0);
        QMap<uint32_t, QByteArray> restored;
        QVERIFY(LooperFlashFile::Read(flash, productId, restored));
        QCOMPARE(restored, songs);

        const QString second = m_dir.filePath("second");
        QCOMPARE(cli.Run({"backup", second}).exitCode, 0);
        for (int k = 0; k < songs.size(); ++k)
            QCOMPARE(Manifest(second).value("slots")[k]["sha256"], manifest.value("slots")[k]["sha256"]);
        for (const QString &name : QDir(first).entryList({"*.wav"}))
            QCOMPARE(ReadAll(QDir(second).filePath(name)), ReadAll(QDir(first).filePath(name)));
    }

    void restoreChecksBeforeWriting()
    {
        const QString flash = m_dir.filePath("checks.flash");
        QVERIFY(LooperFlashFile::Write(flash, PULSE_RIG,
                                       {{1, Pattern(192 * 700, 1)}, {4, Pattern(192 * 90, 4)}}));
        const CCliRunner cli(PULSE_RIG, flash);
        const QString folder = m_dir.filePath("checks");
        QCOMPARE(cli.Run({"backup", folder}).exitCode, 0);
        const QByteArray before = ReadAll(flash);

        SCliRun run = cli.Run({"restore", folder});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, QString("brindle-cli: these slots hold a song; add --yes to overwrite them:\n"
                                  "  Song 002 -- (0.13  MB)\n  Song 005 -- (0.02  MB)\n"));

        const QString soloFlash = m_dir.filePath("solo.flash");
        QVERIFY(LooperFlashFile::Write(soloFlash, 10003, {}));
        run = CCliRunner(10003, soloFlash).Run({"restore", folder, "--yes"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err,
                 QString("brindle-cli: This backup comes from a PULSE RIG; the connected looper is a "
                         "Corvel Solo. Nothing was written.\n"));

        QCOMPARE(cli.Run({"restore", folder, "--slots", "x"}).exitCode, 2);
        QCOMPARE(cli.Run({"restore", folder, "--slots", ""}).exitCode, 2);
        run = cli.Run({"restore", folder, "--slots", QString("1-65535,2,").repeated(5000)});
        QCOMPARE(
            run.err + QString::number(run.exitCode),
            QString("brindle-cli: --slots: \"1-65535\" names slot 65535; this looper has slots 1 to 30\n2"));
        run = cli.Run({"restore", folder, "--slots", "3", "--yes"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, QString("brindle-cli: The backup holds no song for slot 3\n"));

        QFile wav(QDir(folder).filePath("Song 005.wav"));
        const QByteArray intact = ReadAll(wav.fileName());
        QVERIFY(wav.open(QIODevice::ReadWrite));
        QVERIFY(wav.seek(wav.size() - 1));
        wav.write("\x5a");
        wav.close();
        run = cli.Run({"restore", folder, "--yes"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("Song 005.wav does not hold the song the manifest describes"),
                 qPrintable(run.err));
        QCOMPARE(ReadAll(flash), before);

        QVERIFY(LooperFlashFile::Write(flash, PULSE_RIG, {}));
        run = cli.Run({"restore", folder, "--slots", "2"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QString("Song 002 -- (0.13  MB)\n"));
        QVERIFY(WriteFile(wav.fileName(), intact));
        run = cli.Run({"restore", folder, "--missing"});
        QCOMPARE(run.out + QString::number(run.exitCode), QString("Song 005 -- (0.02  MB)\n0"));
    }

    // On a terminal, restore lists the songs it would replace and asks once: "y" goes on, Ctrl-C
    // cancels.
    void restoreAsksOnATerminal_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("end");
        QTest::newRow("yes") << QByteArray("y\n") << QByteArray("y\r\nSong 002 -- (0.13  MB)\r\n0");
        QTest::newRow("Ctrl-C") << QByteArray("\x03") << QByteArray("^C\r\nCancelled\r\n130");
    }
    void restoreAsksOnATerminal()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, end);
        const QString flash = m_dir.filePath("ask.flash");
        QVERIFY(LooperFlashFile::Write(flash, PULSE_RIG, {{1, Pattern(192 * 700, 1)}}));
        const CCliRunner cli(PULSE_RIG, flash);
        QCOMPARE(cli.Run({"backup", m_dir.filePath("ask")}).exitCode, 0);
        const QString command =
            QString("'%1' --quiet restore '%2'").arg(BRINDLE_CLI_PATH, m_dir.filePath("ask"));
        QProcess script;
        script.setProcessEnvironment(cli.Environment());
        script.start("script", {"-qec", command, "/dev/null"});
        QByteArray seen;
        while (!seen.endsWith("[y/N] ") && script.waitForReadyRead(10000))
            seen += script.readAll();
        script.write(answer);
        QVERIFY(script.waitForFinished(30000));
        seen += script.readAll() + QByteArray::number(script.exitCode());
        const QByteArray question =
            "These slots hold a song; restoring replaces it:\r\n  Song 002 -- (0.13  MB)\r\n"
            "Overwrite them? [y/N] ";
        QVERIFY2(seen.startsWith(question) && seen.endsWith(end), seen);
    }

    void damagedSlotHidesNothing()
    {
        const QString flash = m_dir.filePath("damaged.flash");
        QVERIFY(LooperFlashFile::Write(
            flash, PULSE_RIG,
            {{0, Pattern(192 * 100, 0)}, {1, Pattern(192 * 200, 1)}, {2, Pattern(192 * 300, 2)}}));
        // A byte of slot 2's record block list changes: the record's sum no longer matches.
        QVERIFY(LooperFlashFile::Damage(flash, PULSE_RIG,
                                        (PULSE_RIG_DATA_BLOCKS + 1) * PULSE_RIG_BLOCK_SIZE + 10,
                                        QByteArray("\x00", 1)));
        const CCliRunner cli(PULSE_RIG, flash);
        SCliRun run = cli.Run({"list"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(
            run.out.startsWith("Song 001 -- (0.02  MB)  0:00.137\nSong 002 -- (Damaged: Checksum error!)\n"
                               "Song 003 -- (0.05  MB)  0:00.410\nSong 004 -- (Empty)\n"),
            qPrintable(run.out));
        QVERIFY(
            run.out.endsWith("Free: 1968 of 1970 blocks, 484.31 MB, 60:11 of mono audio (a damaged slot may "
                             "own some of these blocks)\n"));

        QCOMPARE(cli.Run({"upload", "3", m_dir.filePath("three.wav")}).exitCode, 0);
        QCOMPARE(cli.Run({"upload", "2", m_dir.filePath("two.wav")}).err,
                 QString("brindle-cli: Song 002 -- (Damaged: Checksum error!)\n"));

        const QString folder = m_dir.filePath("partial");
        run = cli.Run({"backup", folder});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(QDir(folder).entryList({"*.wav"}), (QStringList{"Song 001.wav", "Song 003.wav"}));
        QCOMPARE(Manifest(folder).value("damaged").toArray().at(0).toObject(),
                 (QJsonObject{{"slot", 2}, {"reason", "Checksum error!"}}));

        const QString wav = QDir(folder).filePath("Song 001.wav");
        run = cli.Run({"download", wav, "9"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(
            run.err.contains("Song 002 -- (Damaged: Checksum error!): the blocks of a damaged slot are "
                             "unknown, so nothing is written while it is there. Back up the other songs, "
                             "then delete slot 2."),
            qPrintable(run.err));

        QCOMPARE(cli.Run({"delete", "2", "--yes"}).exitCode, 0);
        run = cli.Run({"list"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.endsWith("Free: 1968 of 1970 blocks, 484.31 MB, 60:11 of mono audio\n"));
        run = cli.Run({"download", wav, "9", "--verify"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.startsWith("Song 009 -- (0.02  MB)\n"), qPrintable(run.out));
    }

    // A record torn while it was programmed leaves the one before it whole: list says so, repair
    // brings the previous song back byte for byte, and a slot without one is refused.
    void tornRecordIsRepairedToThePreviousSong()
    {
        const QString flash = m_dir.filePath("torn.flash");
        const QByteArray song = Pattern(192 * 150, 5);
        QVERIFY(LooperFlashFile::Write(flash, PULSE_RIG, {{0, Pattern(192 * 100, 4)}, {1, song}}));
        // The next header of slot 2 got its tag, status and part of its group count before power went.
        const uint32_t fatBlock = (PULSE_RIG_DATA_BLOCKS + 1) * PULSE_RIG_BLOCK_SIZE;
        QVERIFY(LooperFlashFile::Damage(flash, PULSE_RIG, fatBlock + 4096, QByteArray("HD\xFF\x2C", 4)));
        const CCliRunner cli(PULSE_RIG, flash);
        SCliRun run = cli.Run({"list"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.out.startsWith("Song 001 -- (0.02  MB)  0:00.137\n"
                                    "Song 002 -- (Damaged: Checksum error!), previous version recoverable\n"),
                 qPrintable(run.out));
        run = cli.Run({"list", "--json"});
        QVERIFY(QJsonDocument::fromJson(run.out.toUtf8())["slots"][1]["recoverable"].toBool());

        run = cli.Run({"repair", "1"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, QString("brindle-cli: slot 1 is not damaged; nothing to repair\n"));
        run = cli.Run({"repair", "2"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QString("Song 002 -- (0.03  MB)\n"));
        QCOMPARE(cli.Run({"list"}).exitCode, 0);
        QMap<uint32_t, QByteArray> songs;
        QVERIFY(LooperFlashFile::Read(flash, PULSE_RIG, songs));
        QCOMPARE(songs.value(1), song);

        // A damaged first record has nothing before it.
        QVERIFY(LooperFlashFile::Damage(flash, PULSE_RIG, fatBlock - PULSE_RIG_BLOCK_SIZE + 10,
                                        QByteArray("\x00", 1)));
        run = cli.Run({"repair", "1"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err,
                 QString("brindle-cli: Song 001 -- (Damaged: Checksum error!): no previous version can be "
                         "recovered\n"));
    }

    // A signal at any request leaves the slot with its previous song, byte for byte, or with the
    // whole new one when the work had already passed its last request boundary.
    void signalsStopAtARequestBoundary()
    {
        const QByteArray oldSong = Pattern(192 * 900, 7);
        const QString flash = m_dir.filePath("signal.flash");
        QVERIFY(LooperFlashFile::Write(flash, PULSE_RIG, {{0, oldSong}, {5, Pattern(192 * 1500, 1)}}));
        const QString folder = m_dir.filePath("signal");
        QCOMPARE(CCliRunner(PULSE_RIG, flash).Run({"backup", folder}).exitCode, 0);
        const QString newSong = QDir(folder).filePath("Song 006.wav");
        const QByteArray start = ReadAll(flash);
        int cancelled = 0;
        for (int request = 10;; request += 11) {
            QVERIFY(WriteFile(flash, start));
            const int signal = (request / 11) % 2 ? SIGTERM : SIGINT;
            CCliRunner cli(PULSE_RIG, flash);
            cli.Set("BRINDLE_SIM_SIGNAL", QString("%1:%2").arg(request).arg(signal));
            const SCliRun run = cli.Run({"download", newSong, "1", "--yes"});
            QMap<uint32_t, QByteArray> songs;
            QVERIFY(LooperFlashFile::Read(flash, PULSE_RIG, songs));
            if (run.exitCode == 0) {
                QCOMPARE(songs.value(0), songs.value(5));
                break;
            }
            QCOMPARE(run.exitCode, 128 + signal);
            QCOMPARE(run.err, QString("Cancelled\n"));
            QCOMPARE(songs.value(0), oldSong);
            ++cancelled;
        }
        QVERIFY(cancelled >= 8);

        for (const int request : {40, 150, 300}) {
            CCliRunner cli(PULSE_RIG, flash);
            cli.Set("BRINDLE_SIM_SIGNAL", QString("%1:%2").arg(request).arg(SIGHUP));
            const QString target = m_dir.filePath(QString("cut%1").arg(request));
            SCliRun run = cli.Run({"backup", target});
            QCOMPARE(run.exitCode, 128 + SIGHUP);
            // Songs saved before the signal are whole; the manifest, written last, is not there.
            QCOMPARE(QDir(target).entryList(QDir::Files).filter(QRegularExpression("(part|json)$")),
                     QStringList());
            for (const QString &name : QDir(target).entryList({"*.wav"}))
                QCOMPARE(ReadAll(QDir(target).filePath(name)), ReadAll(QDir(folder).filePath(name)));
            run = cli.Run({"upload", "6", target + ".wav"});
            QVERIFY(run.exitCode == 128 + SIGHUP && !QFile::exists(target + ".wav"));
        }

        CCliRunner cli(PULSE_RIG, flash);
        cli.Set("BRINDLE_SIM_SIGNAL", QString("40:%1").arg(SIGINT));
        QCOMPARE(cli.Run({"delete", "6", "--yes"}).exitCode, 130);

        // Restore over a slot holding another song: each slot ends with its old song or the
        // backup's, never anything else.
        const QByteArray other = Pattern(192 * 300, 99);
        const QMap<uint32_t, QByteArray> backedUp{{0, oldSong}, {5, Pattern(192 * 1500, 1)}};
        QVERIFY(LooperFlashFile::Write(flash, PULSE_RIG, {{0, other}}));
        const QByteArray otherStart = ReadAll(flash);
        for (const int request : {45, 120, 200, 280}) {
            QVERIFY(WriteFile(flash, otherStart));
            cli.Set("BRINDLE_SIM_SIGNAL", QString("%1:%2").arg(request).arg(SIGINT));
            const SCliRun run = cli.Run({"restore", folder, "--yes"});
            // A stop while a stored song is read back leaves it stored, and says so.
            QVERIFY2(run.exitCode == 130 || run.err.contains("was stored; the stop came before"),
                     qPrintable(run.err));
            QMap<uint32_t, QByteArray> songs;
            QVERIFY(LooperFlashFile::Read(flash, PULSE_RIG, songs));
            QVERIFY(songs.value(0) == other || songs.value(0) == backedUp.value(0));
            QVERIFY(songs.value(5).isEmpty() || songs.value(5) == backedUp.value(5));
        }
    }

    // Each backup into a folder is a snapshot: only the songs that changed are read again, the songs
    // that only earlier snapshots hold are kept once each, and any snapshot restores, with its names.
    void snapshotsKeepEveryBackup()
    {
        const QString flash = m_dir.filePath("history.flash");
        const QMap<uint32_t, QByteArray> songs{
            {0, Pattern(192 * 700, 1)}, {1, Pattern(192 * 90, 2)}, {2, Pattern(192 * 300, 3)}};
        QVERIFY(LooperFlashFile::Write(flash, PULSE_RIG, songs));
        const CCliRunner cli(PULSE_RIG, flash);
        const QString folder = m_dir.filePath("history");
        QCOMPARE(cli.Run({"name", "1", "Drum loop"}).exitCode, 0);
        QVERIFY(
            cli.Run({"backup", folder}).out.endsWith(": 3 read from the looper, 0 already in the backup\n"));
        QCOMPARE(cli.Run({"download", folder + "/Song 001.wav", "2", "--yes"}).exitCode, 0);
        QCOMPARE(cli.Run({"delete", "3", "--yes"}).exitCode, 0);
        QVERIFY(
            cli.Run({"backup", folder}).out.endsWith(": 1 read from the looper, 1 already in the backup\n"));
        QVERIFY(cli.Run({"backup", folder, "--full"})
                    .out.endsWith(": 2 read from the looper, 0 already in the backup\n"));
        const SCliRun list = cli.Run({"backups", folder});
        QCOMPARE(QString(list.out).remove(QRegularExpression("\\S+Z  ")),
                 QString("PULSE RIG  3 songs  first snapshot\nPULSE RIG  2 songs  changed 2; removed 3\n"
                         "PULSE RIG  2 songs  no change\n"));
        QCOMPARE(QDir(folder + "/.brindle/songs").entryList(QDir::Files).size(), 2);
        QVERIFY(LooperFlashFile::Write(flash, PULSE_RIG, {}));
        QCOMPARE(cli.Run({"restore", folder, "--snapshot", list.out.section("  ", 0, 0)}).exitCode, 0);
        QMap<uint32_t, QByteArray> restored;
        QVERIFY(LooperFlashFile::Read(flash, PULSE_RIG, restored));
        QCOMPARE(restored, songs);
        QCOMPARE(cli.Run({"name", "1"}).out, QString("Drum loop\n"));
    }

    // A backup cut at any point keeps every snapshot readable: stopped by a signal at a request, ended
    // before any change of the folder (as a power cut, each earlier change synced), or refused one for
    // want of space. The next backup then completes, a cut move included.
    void cutBackupsKeepEverySnapshot()
    {
        const QString flash = m_dir.filePath("cut.flash");
        QVERIFY(LooperFlashFile::Write(flash, PULSE_RIG,
                                       {{0, Pattern(192 * 900, 4)}, {1, Pattern(192 * 200, 5)}}));
        CCliRunner cli(PULSE_RIG, flash);
        const QString start = m_dir.filePath("cut-start"), folder = m_dir.filePath("cut");
        QCOMPARE(cli.Run({"backup", start}).exitCode, 0);
        QCOMPARE(cli.Run({"download", start + "/Song 001.wav", "2", "--yes"}).exitCode, 0);
        const auto reset = [&] {
            return QDir(folder).removeRecursively() && QProcess::execute("cp", {"-a", start, folder}) == 0;
        };
        for (int request = 5, exit = 130; exit == 130; request += 23) {
            QVERIFY(reset());
            cli.Set("BRINDLE_SIM_SIGNAL", QString("%1:%2").arg(request).arg(SIGINT));
            exit = cli.Run({"backup", folder}).exitCode;
            QVERIFY(exit == 130 || exit == 0);
            QCOMPARE(ReadableSnapshots(folder), exit ? 1 : 2);
        }
        cli.Set("BRINDLE_SIM_SIGNAL", "");
#ifdef BRINDLE_SANITIZED
        QSKIP(
            "a traced run under the sanitizers takes seconds: the system-call sweep runs in the plain build");
#endif
        if (QProcess::execute("strace", {"-o", "/dev/null", "true"}) != 0)
            QSKIP("strace cannot trace here");
        const QString trace = m_dir.filePath("trace");
        for (const QString call : {"mkdirat", "unlinkat", "renameat", "fsync"}) {
            for (const QString effect : {"signal=SIGKILL", "error=ENOSPC"}) {
                for (int n = 1;; ++n) {
                    QVERIFY(reset());
                    const QString inject = QString("inject=%1:%2:when=%3").arg(call, effect).arg(n);
                    cli.RunUnder({"strace", "-o", trace, "-e", "trace=" + call, "-e", inject},
                                 {"backup", folder});
                    if (!QRegularExpression("INJECTED|killed by").match(ReadAll(trace)).hasMatch())
                        break;
                    const int snapshots = ReadableSnapshots(folder);
                    QVERIFY2(snapshots == 1 || snapshots == 2, qPrintable(inject));
                    QCOMPARE(cli.Run({"backup", folder}).exitCode, 0);
                    QCOMPARE(ReadableSnapshots(folder), snapshots + 1);
                }
            }
        }
    }

    // Stopping a firmware update half way would leave the looper without firmware: a signal before
    // the first erase cancels it untouched, one after is refused and the update finishes.
    void updateRefusesSignalsOnceErasing()
    {
        const QString package = m_dir.filePath("fw.dat");
        QVERIFY(CPackageBuilder("10003")
                    .AddItem(CPackageBuilder::LayoutText(2, 0x10000, 16, 4096),
                             CPackageBuilder::PatternImage(10000, 1))
                    .Write(package));
        const QString flash = m_dir.filePath("update.flash");
        QVERIFY(LooperFlashFile::Write(flash, 10003, {}));
        const QByteArray before = ReadAll(flash);
        CCliRunner cli(10003, flash);
        cli.Set("BRINDLE_SIM_SIGNAL", QString("1:%1").arg(SIGINT));
        SCliRun run = cli.Run({"update", package});
        QCOMPARE(run.exitCode, 130);
        QCOMPARE(run.err, QString("Cancelled\n"));
        QCOMPARE(ReadAll(flash), before);
        for (const int request : {3, 5}) {
            cli.Set("BRINDLE_SIM_SIGNAL", QString("%1:%2").arg(request).arg(SIGTERM));
            run = cli.Run({"update", package});
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(run.err,
                     QString("Firmware update in progress: stopping now would leave the looper unusable\n"
                             "M_SUCCESS\n"));
        }
    }

    void verifyNamesTheFirstDifferingByte()
    {
        SetMidiBackend(std::make_shared<CSimulatorBackend>());
        CSimBus::Instance().Clear();
        SSimDeviceConfig config;
        config.productId = PULSE_RIG;
        const auto device = std::make_shared<CSimDevice>(config);
        CSimBus::Instance().Attach(device);
        CUSBPort port;
        CLooperSongTable table(port);
        QVERIFY(port.Connect(0) && table.LoadSongs() == RESULT_OK);
        const QByteArray song = Pattern(192 * 50, 3);
        const auto *bytes = reinterpret_cast<const uint8_t *>(song.constData());
        QCOMPARE(table.WriteSong(2, bytes, uint32_t(song.size()), nullptr), int32_t(RESULT_OK));
        QCOMPARE(table.ReloadSong(2), int32_t(RESULT_OK));
        QString failure;
        QVERIFY(VerifySongInSlot(table, 2, bytes, uint32_t(song.size()), failure));
        QByteArray changed = song;
        changed[4032 + 17] = char(~changed[4032 + 17]);
        QVERIFY(!VerifySongInSlot(table, 2, reinterpret_cast<const uint8_t *>(changed.constData()),
                                  uint32_t(changed.size()), failure));
        QCOMPARE(failure, QString("Verify failed: slot 3 differs from the written song at byte offset 4049"));
        QVERIFY(!VerifySongInSlot(table, 2, bytes, uint32_t(song.size()) + 192, failure));
        QCOMPARE(failure, QString("Verify failed: slot 3 holds 9600 bytes of the 9792 written"));
        port.Disconnect();
        CSimBus::Instance().Clear();
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
