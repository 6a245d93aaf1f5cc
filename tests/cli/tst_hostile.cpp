#include "HostileCase.h"

#include "LooperFlashFile.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const char *const FLASH_FILE = "looper.flash";
// Long enough for the slowest honest case; a hang is what it catches.
const int HANG_MS = 60000;

// Every entry below the folder, links as links, with a digest of what a regular file holds.
QMap<QString, QByteArray> Snapshot(const QString &folder)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        QByteArray digest = info.isSymLink() ? "link " + info.symLinkTarget().toUtf8()
                            : info.isDir()   ? QByteArray("folder")
                                             : QByteArray("other");
        QFile file(path);
        if (!info.isSymLink() && info.isFile() && file.open(QIODevice::ReadOnly))
            digest = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
        entries.insert(path.mid(folder.size() + 1), digest);
    }
    return entries;
}

QString Changes(const QMap<QString, QByteArray> &before, const QMap<QString, QByteArray> &after)
{
    QStringList changed;
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (!before.contains(it.key()))
            changed << "new " + it.key();
        else if (before[it.key()] != it.value())
            changed << "changed " + it.key();
    }
    for (auto it = before.begin(); it != before.end(); ++it) {
        if (!after.contains(it.key()))
            changed << "gone " + it.key();
    }
    return changed.join(", ");
}

void SendSignals(const QProcess &process, const CHostileScene &scene)
{
    for (int k = 0; k < scene.signalCount && process.state() == QProcess::Running; ++k) {
        ::kill(pid_t(process.processId()), scene.signalNumber);
        QThread::msleep(100);
    }
}

bool SignalDue(const CHostileScene &scene, const QString &err, const QElapsedTimer &clock)
{
    if (scene.signalText.isEmpty())
        return clock.elapsed() >= scene.signalDelayMs;
    return err.contains(scene.signalText);
}

// With closeOutput, stdout and stderr are a pipe whose reader is gone before the program starts,
// and a write there raises SIGPIPE as it would after `| tee log` died.
class CHostileProcess : public QProcess {
public:
    bool closeOutput = false;

protected:
    void setupChildProcess() override
    {
        int ends[2];
        if (!closeOutput || ::pipe(ends) != 0)
            return;
        ::close(ends[0]);
        ::dup2(ends[1], STDOUT_FILENO);
        ::dup2(ends[1], STDERR_FILENO);
        ::close(ends[1]);
        std::signal(SIGPIPE, SIG_DFL);
    }
};

SHostileRun Execute(const CHostileScene &scene, const QStringList &arguments)
{
    CHostileProcess process;
    process.closeOutput = scene.closeOutput;
    process.setProcessEnvironment(scene.environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(BRINDLE_CLI_PATH, arguments);
    process.waitForStarted();
    SHostileRun run;
    QElapsedTimer clock;
    clock.start();
    bool signalled = scene.signalCount == 0;
    while (!process.waitForFinished(20) && clock.elapsed() < HANG_MS) {
        if (!scene.closeOutput)
            run.err += QString::fromUtf8(process.readAllStandardError());
        if (!signalled && SignalDue(scene, run.err, clock)) {
            SendSignals(process, scene);
            signalled = true;
        }
    }
    if (process.state() == QProcess::Running) {
        process.kill();
        process.waitForFinished();
        run.err += "\n(brindle-cli did not finish)";
        return run;
    }
    if (!scene.closeOutput)
        run.err += QString::fromUtf8(process.readAllStandardError());
    run.exitCode =
        process.exitStatus() == QProcess::NormalExit ? process.exitCode() : 128 + process.exitCode();
    return run;
}
} // namespace

CHostileScene::CHostileScene(const QString &folderPath)
    : folder(folderPath), environment(QProcessEnvironment::systemEnvironment())
{
    for (const QString &name : environment.keys()) {
        if (name.startsWith("BRINDLE_"))
            environment.remove(name);
    }
    environment.insert("BRINDLE_MIDI_API", "simulator");
    songs = {{0, HostileSong(300000, 1)}, {2, HostileSong(5000, 2)}};
}

CHostileScene::~CHostileScene()
{
    for (const QString &path : mounts)
        ::umount2(QFile::encodeName(path).constData(), MNT_DETACH);
}

void CHostileScene::SmallDisk(const QString &name, int kilobytes)
{
    QDir().mkpath(Path(name));
    const QByteArray size = "size=" + QByteArray::number(kilobytes) + "k";
    if (::mount("tmpfs", QFile::encodeName(Path(name)).constData(), "tmpfs", 0, size.constData()) == 0)
        mounts << Path(name);
    else
        skipReason = QStringLiteral("cannot mount a small disk: %1").arg(std::strerror(errno));
}

QString CHostileScene::Path(const QString &name) const
{
    return folder + "/" + name;
}

void CHostileScene::Write(const QString &name, const QByteArray &bytes) const
{
    QDir().mkpath(QFileInfo(Path(name)).path());
    QFile file(Path(name));
    QVERIFY2(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(), qPrintable(name));
}

void CHostileScene::Link(const QString &name, const QString &target) const
{
    QDir().mkpath(QFileInfo(Path(name)).path());
    QVERIFY(QFile::link(target, Path(name)));
}

void CHostileScene::Fifo(const QString &name) const
{
    QDir().mkpath(QFileInfo(Path(name)).path());
    QCOMPARE(::mkfifo(QFile::encodeName(Path(name)).constData(), 0600), 0);
}

void CHostileScene::SignalWhen(const QString &text, int signal, int count, int delayMs)
{
    signalText = text;
    signalNumber = signal;
    signalCount = count;
    signalDelayMs = delayMs;
}

SHostileRowsRegistration::SHostileRowsRegistration(HostileRows rows)
{
    AllHostileRows().push_back(rows);
}

std::vector<HostileRows> &AllHostileRows()
{
    static std::vector<HostileRows> rows;
    return rows;
}

QByteArray HostileSong(int length, int seed)
{
    QByteArray bytes(length, '\0');
    uint32_t state = uint32_t(seed) * 2654435761u + 7;
    for (char &byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = char(state >> 24);
    }
    return bytes;
}

QByteArray HostileWav(uint16_t channels, uint32_t rate, uint16_t bits, uint32_t dataSize,
                      const QByteArray &data)
{
    uchar h[44] = {};
    std::memcpy(h, "RIFF", 4);
    qToLittleEndian<uint32_t>(uint32_t(36 + data.size()), h + 4);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    qToLittleEndian<uint32_t>(16, h + 16);
    qToLittleEndian<uint16_t>(1, h + 20);
    qToLittleEndian<uint16_t>(channels, h + 22);
    qToLittleEndian<uint32_t>(rate, h + 24);
    qToLittleEndian<uint32_t>(rate * channels * bits / 8, h + 28);
    qToLittleEndian<uint16_t>(uint16_t(channels * bits / 8), h + 32);
    qToLittleEndian<uint16_t>(bits, h + 34);
    std::memcpy(h + 36, "data", 4);
    qToLittleEndian<uint32_t>(dataSize, h + 40);
    return QByteArray(reinterpret_cast<const char *>(h), sizeof h) + data;
}

// Hostile files, closed pipes, signals and odd command lines: each ends with its message and exit
// status, and leaves the looper and every file as they were unless the work completed.
class TestHostile : public QObject {
    Q_OBJECT

private slots:
    void everyCaseEndsCleanly_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("table");
        for (size_t t = 0; t < AllHostileRows().size(); ++t) {
            const std::vector<SHostileCase> rows = AllHostileRows()[t]();
            for (size_t r = 0; r < rows.size(); ++r)
                QTest::newRow(rows[r].name) << int(r) << int(t);
        }
    }

    void everyCaseEndsCleanly()
    {
        QFETCH(int, row);
        QFETCH(int, table);
        const SHostileCase hostile = AllHostileRows()[size_t(table)]().at(size_t(row));
        QTemporaryDir folder;
        CHostileScene scene(folder.path());
        if (hostile.setUp)
            hostile.setUp(scene);
        if (QTest::currentTestFailed())
            return;
        if (!scene.skipReason.isEmpty())
            QSKIP(qPrintable(scene.skipReason));
        QVERIFY(LooperFlashFile::Write(scene.Path(FLASH_FILE), scene.productId, scene.songs));
        if (!scene.environment.contains("BRINDLE_SIM_FLASH"))
            scene.Set("BRINDLE_SIM_FLASH", scene.Path(FLASH_FILE));
        scene.Set("BRINDLE_SIM_MODEL", QString::number(scene.productId));
        QStringList arguments;
        for (const QString &argument : hostile.arguments)
            arguments << QString(argument).replace("{dir}", folder.path());
        const QMap<QString, QByteArray> before = Snapshot(folder.path());
        const SHostileRun run = Execute(scene, arguments);
        QVERIFY2(QRegularExpression(hostile.message).match(run.err).hasMatch(), qPrintable(run.err));
        QCOMPARE(run.exitCode, hostile.exitCode);
        QString why;
        if (hostile.completed)
            QVERIFY2(hostile.completed(scene, run, why), qPrintable(why));
        else
            QVERIFY2(Changes(before, Snapshot(folder.path())).isEmpty(),
                     qPrintable(Changes(before, Snapshot(folder.path()))));
    }
};

QTEST_GUILESS_MAIN(TestHostile)
#include "tst_hostile.moc"
