#include "SimulatedLoopers.h"

#include "CLooperSongTable.h"
#include "CMidiBackend.h"
#include "CSimBus.h"
#include "CSimulatorBackend.h"
#include "CUSBPort.h"
#include "MillisecondClock.h"
#include "ResultCodes.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

void UseSimulatedLoopersInWindow()
{
    // What the window keeps on the computer (names, waveforms, songs) stays in the test's own folder.
    static QTemporaryDir userFolders;
    qputenv("XDG_DATA_HOME", QFile::encodeName(userFolders.filePath("data")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(userFolders.filePath("cache")));
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
