#include "CPackageBuilder.h"
#include "CSimFlash.h"
#include "CSimFlashFile.h"
#include "HostileCase.h"
#include "LooperFlashFile.h"

#include <csignal>

namespace {
// Every sample alike, so that the download's conversion keeps the bytes.
const QByteArray NEW_SONG(6000, 0x42);
const QByteArray FIRMWARE = CPackageBuilder::PatternImage(2000000, 5);

void Prepare(CHostileScene &scene, const QString &signal, const QString &mode = "normal")
{
    scene.Write("new.wav", HostileWav(1, 46875, 24, uint32_t(NEW_SONG.size()), NEW_SONG));
    scene.Set("BRINDLE_SIM_SIGNAL", signal);
    scene.Set("BRINDLE_SIM_MODE", mode);
}

void SoloCutDuringFlag(CHostileScene &scene)
{
    scene.productId = 10003;
    scene.songs = {{0, HostileSong(6000, 4)}};
    Prepare(scene, "");
    scene.Set("BRINDLE_SIM_POWERCUT", "52:7");
}

void UpdateIntoDeadPipe(CHostileScene &scene)
{
    const QByteArray layout = CPackageBuilder::LayoutText(2, 0x10000, 512, 4096);
    scene.Write("fw.dat", CPackageBuilder("10002").AddItem(layout, FIRMWARE).Build());
    scene.Set("BRINDLE_SIM_SIGNAL", "5:2");
    scene.Set("BRINDLE_SIM_WIRE", "usb-fs");
    scene.SignalWhen("", SIGINT, 1, 1500);
    scene.CloseOutput();
}

// The song the looper's first slot (the Solo's) or second slot holds now begins with the new song's bytes.
bool NewSongStored(const CHostileScene &scene, const SHostileRun &, QString &why)
{
    QMap<uint32_t, QByteArray> songs;
    LooperFlashFile::Read(scene.Path("looper.flash"), scene.productId, songs);
    why = QString("slots holding songs: %1").arg(songs.keys().size());
    return songs.value(scene.productId == 10003 ? 0 : 1).left(5000) == NEW_SONG.left(5000);
}

bool FirstSongDeleted(const CHostileScene &scene, const SHostileRun &, QString &why)
{
    QMap<uint32_t, QByteArray> songs;
    why = "the song of slot 1 is still there";
    return LooperFlashFile::Read(scene.Path("looper.flash"), scene.productId, songs) && !songs.contains(0);
}

bool FirmwareWhole(const CHostileScene &scene, const SHostileRun &, QString &why)
{
    CSimFlash flash;
    CSimFlashFile file;
    std::string errorText;
    why = "the firmware image is not whole";
    return file.Open(scene.Path("looper.flash").toStdString(), flash, errorText) &&
           flash.Read(2, 0x10000, uint32_t(FIRMWARE.size())) ==
               std::vector<uint8_t>(FIRMWARE.begin(), FIRMWARE.end());
}

std::vector<SHostileCase> SignalRows()
{
    const QStringList store = {"download", "{dir}/new.wav", "2"};
    return {
        {"signal: Ctrl-C while the looper leaves an erase unanswered",
         [](CHostileScene &s) { Prepare(s, "77:2", "mute-erase"); }, store, 130, "^Cancelled\n$"},
        {"signal: SIGTERM while the record is written", [](CHostileScene &s) { Prepare(s, "81:15"); }, store,
         0, "^Successful !\n$", &NewSongStored},
        {"signal: Ctrl-C during --verify's read-back", [](CHostileScene &s) { Prepare(s, "83:2"); },
         store + QStringList("--verify"), 1, "^brindle-cli: Song 002 stored, but not verified: the read-back",
         &NewSongStored},
        {"signal: SIGHUP while delete erases the record", [](CHostileScene &s) { Prepare(s, "77:1"); },
         QStringList{"delete", "1", "--yes"}, 0, "^brindle-cli: Song 001 deleted; stopped before",
         &FirstSongDeleted},
        {"legacy: the looper stops answering during the song-file flag", &SoloCutDuringFlag,
         QStringList{"download", "{dir}/new.wav", "1", "--yes"}, 1,
         "^brindle-cli: Song 001 stored, but the looper stopped answering: unplug .*brindle-cli list\n$",
         &NewSongStored},
        {"update: Ctrl-C twice through a closed pipe", &UpdateIntoDeadPipe,
         QStringList{"update", "{dir}/fw.dat"}, 0, "^$", &FirmwareWhole},
    };
}
} // namespace

BRINDLE_HOSTILE_ROWS(SignalRows);
