#include "HostileCase.h"

#include "LooperFlashFile.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

namespace {
const QByteArray FIRST_SONG = HostileSong(19200, 9);
using S = CHostileScene;

// A first backup in {dir}/b, made by brindle-cli from a looper holding only FIRST_SONG in slot 1 (the
// case's own looper replaces that one afterwards).
void FirstBackup(S &scene)
{
    scene.Set("BRINDLE_SIM_FLASH", scene.Path("first.flash"));
    scene.Set("BRINDLE_SIM_MODEL", QString::number(scene.productId));
    QVERIFY(LooperFlashFile::Write(scene.Path("first.flash"), scene.productId, {{0, FIRST_SONG}}));
    QProcess cli;
    cli.setProcessEnvironment(scene.environment);
    cli.start(BRINDLE_CLI_PATH, {"backup", scene.Path("b")});
    QVERIFY(cli.waitForFinished() && cli.exitCode() == 0 && QFile::remove(scene.Path("first.flash")));
    scene.environment.remove("BRINDLE_SIM_FLASH");
}

// A power cut left the first backup complete, but its manifest not yet moved to the top.
void CutMove(S &scene)
{
    FirstBackup(scene);
    QVERIFY(QDir().mkpath(scene.Path("b/.brindle/incoming")));
    QVERIFY(QFile::rename(scene.Path("b/manifest.json"), scene.Path("b/.brindle/incoming/manifest.json")));
}

bool FirstBackupOnTop(const S &scene, const SHostileRun &, QString &why)
{
    QFile file(scene.Path("b/manifest.json"));
    why = "b does not hold the first backup at its top, alone";
    return file.open(QIODevice::ReadOnly) && file.readAll().contains("\"bytes\": 19200,") &&
           !QFileInfo::exists(scene.Path("b/.brindle"));
}

bool LinkNotFollowed(const S &scene, const SHostileRun &, QString &why)
{
    QFile x(scene.Path("x"));
    why = "x changed";
    return x.open(QIODevice::ReadOnly) && x.readAll() == "keep";
}

void Manifest(S &scene, const QByteArray &entry, int productId = 10002)
{
    scene.Write("b/manifest.json", R"({"format": "brindle-backup", "version": 1, "productId": )" +
                                       QByteArray::number(productId) + R"(, "slots": [)" + entry + "]}");
}

QByteArray Entry(int slot, qint64 bytes)
{
    return QString::asprintf(R"({"slot": %d, "file": "Song %.3d.wav", "bytes": %lld, "sha256": "%064d"})",
                             slot, slot, bytes, 0)
        .toUtf8();
}

// clang-format off
std::vector<SHostileCase> BackupRows()
{
    const QStringList backup{"backup", "{dir}/b"};
    const QStringList restore{"restore", "{dir}/b"};
    const QString kept = "\\. Nothing was written\\.\n$";
    return {
        {"backup: a full disk keeps the previous backup", [](S &s) { s.SmallDisk("b", 160), FirstBackup(s); },
         backup, 1, "Song 001.wav: No space left on device\\. The backup in .*/b is kept as it was\\.\n$"},
        {"backup: planted links are never followed", [](S &s) { FirstBackup(s), s.Write("x", "keep"),
         s.Link("b/Song 001.wav.part", "../x"), s.Link("b/.brindle/incoming/Song 001.wav", "../../../x"); },
         backup, 0, "^$", &LinkNotFollowed},
        {"backup: a folder of other files", [](S &s) { s.Write("b/notes.txt", "mine"); }, backup, 1,
         "/b holds other files and no Brindle backup; .*" + kept},
        {"backup: a cut move is finished first, and a stop keeps it",
         [](S &s) { CutMove(s), s.Set("BRINDLE_SIM_SIGNAL", "150:2"); }, backup, 130, "^Cancelled\n$",
         &FirstBackupOnTop},
        // Restore reads every song it wrote back: its success is the check.
        {"restore: a backup whose move was cut", &CutMove, {"restore", "{dir}/b", "--slots", "1", "--yes"}, 0,
         "^$", [](const S &, const SHostileRun &, QString &) { return true; }},
        {"restore: an empty song", [](S &s) { Manifest(s, Entry(2, 0)); }, restore, 1,
         "Song 002.wav \\(slot 2\\) cannot be restored: it holds no bytes" + kept},
        {"restore: a song of broken groups", [](S &s) { Manifest(s, Entry(2, 3000)); }, restore, 1,
         "3000 bytes are not a whole number of the 192-byte groups this looper stores" + kept},
        {"restore: a song too long for a slot", [](S &s) { Manifest(s, Entry(2, 161 * 258048)); }, restore, 1,
         "it needs 161 blocks, and a song of this looper has at most 160" + kept},
        {"restore: one slot twice", [](S &s) { Manifest(s, Entry(2, 192) + "," + Entry(2, 384)); }, restore,
         1, "manifest.json: \"slots\" entry 2: slot 2 appears twice \\(also in entry 1\\)\n$"},
        {"restore: manifest.json links to /dev/zero", [](S &s) { s.Link("b/manifest.json", "/dev/zero"); },
         restore, 1, "b/manifest.json: not a regular file\n$"},
        {"restore: a FIFO as song file", [](S &s) { Manifest(s, Entry(2, 192)), s.Fifo("b/Song 002.wav"); },
         restore, 1, "b/Song 002.wav: not a regular file\n$"},
        {"restore: a manifest over 1 MiB", [](S &s) { s.Write("b/manifest.json", QByteArray(2 << 20, ' ')); },
         restore, 1, "manifest.json: 2097152 bytes, too large for a backup manifest\n$"},
        {"restore: a snapshot the folder does not hold", &FirstBackup, {"restore", "{dir}/b", "--snapshot", "1999"},
         1, "/b holds no snapshot 1999; brindle-cli backups .*/b lists them\n$"},
        {"backup: a cut move that cannot be finished keeps the new backup", [](S &s) { CutMove(s),
         QDir().rename(s.Path("b/Song 001.wav"), s.Path("b/.brindle/incoming/Song 001.wav")),
         s.Write("b/Song 001.wav/x", ""); }, backup, 1, "the next backup into that folder finishes it\\.\n$",
         [](const S &s, const SHostileRun &, QString &why) { why = "b/.brindle/incoming lost the backup";
         return QDir(s.Path("b/.brindle/incoming")).entryList(QDir::Files).size() == 2; }},
        {"restore: a WAV claiming 4 GB", [](S &s) { Manifest(s, Entry(2, 1920)), s.Write("b/Song 002.wav",
         HostileWav(1, 46875, 24, 0xFFFFFFF0u, HostileSong(1920, 5))); }, restore, 1,
         "Song 002.wav is 1964 bytes long; the song the manifest describes makes a file of 1966 bytes\n$"},
    };
}
// clang-format on
} // namespace

BRINDLE_HOSTILE_ROWS(BackupRows);
