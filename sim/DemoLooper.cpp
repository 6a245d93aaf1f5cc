#include "DemoLooper.h"

#include "CLooperSongTable.h"
#include "CSimBus.h"
#include "CSimDevice.h"
#include "CUSBPort.h"
#include "DemoSongs.h"
#include "Messages.h"
#include "ResultCodes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>

namespace {
const uint32_t PULSE_RIG = 10002;

// The demo songs lie in the same blocks whenever the demo starts over, so that its pictures and
// examples stay the same.
uint32_t FirstFreeBlock()
{
    return 0;
}

int32_t StoreSongs(CLooperSongTable &table)
{
    const std::pair<uint32_t, std::vector<uint8_t>> songs[] = {
        {0, DemoSongs::DrumLoop()}, {1, DemoSongs::BassLine()}, {3, DemoSongs::ChordPad()}};
    int32_t result = table.LoadSongs();
    for (const auto &song : songs) {
        if (result != RESULT_OK)
            break;
        result = table.WriteSong(song.first, song.second.data(), uint32_t(song.second.size()), nullptr);
    }
    return result;
}

// A looper that never ran gets the demo songs, kept in its file at once.
bool StoreDemoSongs(CSimDevice &looper, QString &errorText)
{
    CUSBPort port;
    int32_t result = RESULT_DEVICE_NOT_OPEN;
    if (port.Connect(0)) {
        CLooperSongTable table(port);
        table.SetRandomSource(&FirstFreeBlock);
        result = StoreSongs(table);
    }
    port.Disconnect();
    looper.ClearRequests();
    looper.Flash().ClearLog();
    if (result != RESULT_OK) {
        errorText = QStringLiteral("the demo looper's songs could not be stored: %1").arg(ResultText(result));
        return false;
    }
    if (!looper.SaveFlash()) {
        errorText = QStringLiteral("the demo looper's songs could not be saved to %1").arg(DemoLooperFile());
        return false;
    }
    return true;
}
} // namespace

bool DemoLooperWanted()
{
    for (const QString &name : QProcessEnvironment::systemEnvironment().keys()) {
        if (name.startsWith("BRINDLE_SIM_") && !qEnvironmentVariable(name.toUtf8().constData()).isEmpty())
            return false;
    }
    return true;
}

QString DemoLooperFile()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // Unset, empty or relative: the default of the XDG base directories.
    if (!QDir::isAbsolutePath(state))
        state = QDir::homePath() + "/.local/state";
    return state + "/brindle/demo.flash";
}

bool AttachDemoLooper(QString &errorText)
{
    const QString path = DemoLooperFile();
    if (!QDir().mkpath(QFileInfo(path).path())) {
        errorText = QStringLiteral("the folder of the demo looper's songs, %1, cannot be created")
                        .arg(QFileInfo(path).path());
        return false;
    }
    SSimDeviceConfig config;
    config.productId = PULSE_RIG;
    config.flashFile = QFile::encodeName(path).toStdString();
    auto looper = std::make_shared<CSimDevice>(config);
    if (!looper->FlashFileError().empty()) {
        errorText = QString::fromStdString(looper->FlashFileError());
        return false;
    }
    CSimBus::Instance().Attach(looper);
    return !looper->FlashFileNew() || StoreDemoSongs(*looper, errorText);
}
