#include "AudioExport.h"
#include "HostileCase.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {
// WAVs cut short, declared at 1 Hz, and as sox writes 24 bits (WAVE_FORMAT_EXTENSIBLE, a fact chunk);
// a FLAC file cut short; a FIFO.
void Files(CHostileScene &scene)
{
    scene.Write("cut.wav", HostileWav(1, 48000, 16, 192000, HostileSong(192000, 3)).left(90044));
    scene.Write("slow.wav", HostileWav(1, 1, 16, 40000, HostileSong(40000, 4)));
    QByteArray sox =
        HostileWav(1, 48000, 24, 3000, HostileSong(3000, 7)).replace(16, 6, "\x28\0\0\0\xFE\xFF", 6);
    scene.Write("sox.wav", sox.insert(36, QByteArray::fromHex("160018000400000001000000000010008000"
                                                              "00aa00389b716661637404000000e8030000")));
    const QByteArray song = HostileSong(3 * 93750, 6);
    QVERIFY(SaveSongAsAudioFile(reinterpret_cast<const uint8_t *>(song.constData()), uint32_t(song.size()),
                                *FindDeviceModel(scene.productId)->geometry, scene.Path("whole.flac"), {}));
    QFile flac(scene.Path("whole.flac"));
    QVERIFY(flac.open(QIODevice::ReadOnly));
    scene.Write("cut.flac", flac.read(flac.size() / 2));
    flac.remove();
    scene.Write("old.wav", "an earlier upload");
    scene.Fifo("pipe");
}

bool ReplacedBySong(const CHostileScene &scene, const SHostileRun &, QString &why)
{
    QFile file(scene.Path("old.wav"));
    why = QDir(scene.folder).entryList(QDir::Files | QDir::Hidden).join(", ");
    return file.open(QIODevice::ReadOnly) && file.read(4) == "RIFF" && file.size() > 300000 &&
           !why.contains("old.wav.");
}

std::vector<SHostileCase> AudioRows()
{
    const QString refused = "^Audio file '.*%1' could not be imported: %2\n$";
    const QString slow = "it lasts 333:20.000, more than the 4:53.601 a slot holds";
    const QString tooLarge = "^File too large! \\('.*slow.wav': " + slow + "\\)\n$";
    const QString cutWav = refused.arg("cut.wav", "it is truncated: 45000 of 96000 frames");
    const QString cutFlac = refused.arg("cut.flac", "it is truncated: \\d+ of 96000 frames");
    const QString fifo = refused.arg("pipe", "not a regular file");
    const QString sox =
        "^Wave file '.*sox.wav' data segment not found\nbrindle-cli import reads any audio file\n$";
    const QString done = "^Successful !\n$";
    const QString exists = "^brindle-cli: '.*old.wav' exists; add --force to replace it\n$";
    return {
        {"download: 40 KB at 1 Hz", &Files, {"download", "{dir}/slow.wav", "2"}, 1, tooLarge},
        {"import --verify: cut WAV", &Files, {"import", "{dir}/cut.wav", "2", "--verify"}, 1, cutWav},
        {"import --verify: cut FLAC", &Files, {"import", "{dir}/cut.flac", "2", "--verify"}, 1, cutFlac},
        {"import: a FIFO", &Files, {"import", "{dir}/pipe", "2"}, 1, fifo},
        {"download: 24 bits as sox writes them", &Files, {"download", "{dir}/sox.wav", "2"}, 1, sox},
        {"export: an existing file", &Files, {"export", "1", "{dir}/old.wav"}, 1, exists},
        {"upload --force", &Files, {"upload", "1", "{dir}/old.wav", "--force"}, 0, done, &ReplacedBySong},
    };
}
} // namespace

BRINDLE_HOSTILE_ROWS(AudioRows);
