#include "HostileCase.h"

#include "LooperFlashFile.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
// The row's own flash file, named to the program in place of the harness's one.
void OwnFlash(CHostileScene &scene, const QString &name)
{
    QVERIFY(LooperFlashFile::Write(scene.Path(name), scene.productId, scene.songs));
    scene.Set("BRINDLE_SIM_FLASH", scene.Path(name));
}

void TruncatedFlash(CHostileScene &scene)
{
    OwnFlash(scene, "cut.flash");
    QFile file(scene.Path("cut.flash"));
    QVERIFY(file.resize(file.size() - 1000));
}

void NotAFlash(CHostileScene &scene)
{
    scene.Write("junk.flash", "songs.wav\n");
    scene.Set("BRINDLE_SIM_FLASH", scene.Path("junk.flash"));
}

// This test program is the other process: it holds the lock until the next row that needs one.
void FlashInUse(CHostileScene &scene)
{
    static int held = -1;
    OwnFlash(scene, "held.flash");
    if (held >= 0)
        ::close(held);
    held = ::open(QFile::encodeName(scene.Path("held.flash")).constData(), O_RDONLY | O_CLOEXEC);
    QCOMPARE(::flock(held, LOCK_EX | LOCK_NB), 0);
}

// A folder where the save writes its new copy of the flash file.
void FlashNotSaved(CHostileScene &scene)
{
    OwnFlash(scene, "stuck.flash");
    QVERIFY(QDir().mkdir(scene.Path("stuck.flash.part")));
}

std::vector<SHostileCase> SimRows()
{
    return {
        {"flash file truncated: list",
         &TruncatedFlash,
         {"list"},
         1,
         "^brindle-cli: the looper flash file .*/cut\\.flash cannot be used: its size \\(\\d+ bytes\\) does "
         "not match its header .*\n$"},
        {"flash file of another kind: list",
         &NotAFlash,
         {"list"},
         1,
         "^brindle-cli: the looper flash file .*/junk\\.flash cannot be used: it is not a simulated looper's "
         "flash; remove or rename it to start afresh\n$"},
        {"flash file in use by another process: delete",
         &FlashInUse,
         {"delete", "1", "--yes"},
         1,
         "^brindle-cli: the looper flash file .*/held\\.flash is in use by another program; close it and "
         "try again\n$"},
        {"flash file cannot be saved: delete",
         &FlashNotSaved,
         {"delete", "1", "--yes"},
         1,
         "^brindle-cli: the looper's flash could not be saved to .*/stuck\\.flash \\(.*stuck\\.flash\\.part: "
         "Is a directory\\)\n$"},
    };
}
} // namespace

BRINDLE_HOSTILE_ROWS(SimRows);
