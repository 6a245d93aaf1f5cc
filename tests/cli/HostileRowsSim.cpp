#include "HostileCase.h"

#include "LooperFlashFile.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
// The row's own flash file, named to the program instead of the harness's one.
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

// This test program is the other process: it holds the lock until it ends.
void FlashInUse(CHostileScene &scene)
{
    OwnFlash(scene, "held.flash");
    const int held = ::open(QFile::encodeName(scene.Path("held.flash")).constData(), O_RDONLY | O_CLOEXEC);
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
    const QString file = "^brindle-cli: the looper flash file .*/";
    const QStringList list{"list"};
    const QStringList erase{"delete", "1", "--yes"};
    return {
        {"flash file cut short", &TruncatedFlash, list, 1,
         file + "cut\\.flash cannot be used: its size .*\n$"},
        {"flash file of another kind", &NotAFlash, list, 1,
         file + "junk\\.flash cannot be used: it is not .*\n$"},
        {"flash file in use", &FlashInUse, erase, 1, file + "held\\.flash is in use by another program.*\n$"},
        {"flash file not saved", &FlashNotSaved, erase, 1,
         "^brindle-cli: .* not be saved to .*stuck\\.flash\\.part: Is a directory\\)\n$"},
    };
}
} // namespace

BRINDLE_HOSTILE_ROWS(SimRows);
