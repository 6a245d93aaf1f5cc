#include "LooperFlashFile.h"

#include "CLooperSongTable.h"
#include "CMidiBackend.h"
#include "CSimBus.h"
#include "CSimulatorBackend.h"
#include "CUSBPort.h"
#include "ResultCodes.h"

#include <QFile>

namespace {
std::shared_ptr<CSimDevice> Attach(const QString &path, uint32_t productId)
{
    SetMidiBackend(std::make_shared<CSimulatorBackend>());
    CSimBus::Instance().Clear();
    SSimDeviceConfig config;
    config.productId = productId;
    config.flashFile = path.toStdString();
    auto device = std::make_shared<CSimDevice>(config);
    CSimBus::Instance().Attach(device);
    return device;
}

bool Detach(const std::shared_ptr<CSimDevice> &device)
{
    const bool saved = device->SaveFlash();
    CSimBus::Instance().Clear();
    return saved;
}
} // namespace

bool LooperFlashFile::Write(const QString &path, uint32_t productId, const QMap<uint32_t, QByteArray> &songs)
{
    QFile::remove(path);
    const auto device = Attach(path, productId);
    bool stored = false;
    {
        CUSBPort port;
        CLooperSongTable table(port);
        stored = port.Connect(0) && table.LoadSongs() == RESULT_OK;
        for (auto song = songs.begin(); stored && song != songs.end(); ++song)
            stored = table.WriteSong(song.key(), reinterpret_cast<const uint8_t *>(song.value().constData()),
                                     uint32_t(song.value().size()), nullptr) == RESULT_OK;
    }
    return Detach(device) && stored;
}

bool LooperFlashFile::Read(const QString &path, uint32_t productId, QMap<uint32_t, QByteArray> &songs)
{
    const auto device = Attach(path, productId);
    bool read = false;
    songs.clear();
    {
        CUSBPort port;
        CLooperSongTable table(port);
        read = port.Connect(0) && table.LoadSongs() == RESULT_OK;
        for (uint32_t slot = 0; read && slot < table.StoreCount(); ++slot) {
            const uint32_t size = table.Store(slot)->GetSize();
            if (size == 0)
                continue;
            QByteArray bytes(int(size), '\0');
            read =
                table.ReadSong(slot, reinterpret_cast<uint8_t *>(bytes.data()), size, nullptr) == RESULT_OK;
            songs[slot] = bytes;
        }
    }
    return Detach(device) && read;
}

bool LooperFlashFile::Damage(const QString &path, uint32_t productId, uint32_t address,
                             const QByteArray &bytes)
{
    const auto device = Attach(path, productId);
    device->Flash().Poke(1, address, std::vector<uint8_t>(bytes.begin(), bytes.end()));
    return Detach(device);
}
