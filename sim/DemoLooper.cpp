#include "DemoLooper.h"

#include "CLooperSongTable.h"
#include "CSimBus.h"
#include "CSimDevice.h"
#include "CUSBPort.h"
#include "DemoSongs.h"
#include "Messages.h"
#include "ResultCodes.h"

#include <QProcessEnvironment>

namespace {
const uint32_t PULSE_RIG = 10002;

// The demo songs lie in the same blocks on every start, so that what the computer keeps about them
// (their names, their waveforms) finds them again.
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
} // namespace

bool DemoLooperWanted()
{
    for (const QString &name : QProcessEnvironment::systemEnvironment().keys()) {
        if (name.startsWith("BRINDLE_SIM_") && !qEnvironmentVariable(name.toUtf8().constData()).isEmpty())
            return false;
    }
    return true;
}

bool AttachDemoLooper(QString &errorText)
{
    SSimDeviceConfig config;
    config.productId = PULSE_RIG;
    auto looper = std::make_shared<CSimDevice>(config);
    CSimBus::Instance().Attach(looper);
    CUSBPort port;
    int32_t result = RESULT_DEVICE_NOT_OPEN;
    if (port.Connect(0)) {
        CLooperSongTable table(port);
        table.SetRandomSource(&FirstFreeBlock);
        result = StoreSongs(table);
    }
    port.Disconnect();
    looper->ClearRequests();
    looper->Flash().ClearLog();
    if (result != RESULT_OK)
        errorText = QStringLiteral("the demo looper's songs could not be stored: %1").arg(ResultText(result));
    return result == RESULT_OK;
}
