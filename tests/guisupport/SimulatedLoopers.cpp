#include "SimulatedLoopers.h"

#include "CLooperSongTable.h"
#include "CMidiBackend.h"
#include "CSimBus.h"
#include "CSimulatorBackend.h"
#include "CUSBPort.h"
#include "MillisecondClock.h"
#include "ResultCodes.h"

#include <QCoreApplication>

void UseSimulatedLoopersInWindow()
{
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    SetMidiBackend(std::make_shared<CSimulatorBackend>());
    SetMillisecondSource(SimulatedIdleMilliseconds);
}

std::shared_ptr<CSimDevice> AttachLooperWithSongs(uint32_t productId,
                                                  const QMap<uint32_t, std::vector<uint8_t>> &songs)
{
    SSimDeviceConfig config;
    config.productId = productId;
    auto device = std::make_shared<CSimDevice>(config);
    CSimBus::Instance().Attach(device);
    CUSBPort port;
    if (!port.Connect(0))
        return nullptr;
    CLooperSongTable table(port);
    if (table.LoadSongs() != RESULT_OK)
        return nullptr;
    for (auto song = songs.begin(); song != songs.end(); ++song) {
        if (table.WriteSong(song.key(), song.value().data(), uint32_t(song.value().size()), nullptr) !=
            RESULT_OK)
            return nullptr;
    }
    return device;
}
