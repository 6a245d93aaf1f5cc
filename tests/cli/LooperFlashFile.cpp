#include "LooperFlashFile.h"

#include "CLooperSongTable.h"
#include "CMidiBackend.h"
#include "CSimBus.h"
#include "CSimulatorBackend.h"
#include "CUSBPort.h"
#include "ResultCodes.h"

#include <QFile>

#include <chrono>
#include <thread>
#include <utility>

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

// The bus thread may hold the device a moment longer than the bus does, and the device's last
// holder saves its flash again: the file is final only once that holder let go.
bool Detach(std::shared_ptr<CSimDevice> device)
{
    const bool saved = device->SaveFlash();
    CSimBus::Instance().Clear();
    for (int waited = 0; device.use_count() > 1 && waited < 5000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const bool released = device.use_count() == 1;
    device.reset();
    return saved && released;
}
} // namespace

bool LooperFlashFile::Write(const QString &path, uint32_t productId, const QMap<uint32_t, QByteArray> &songs)
{
    QFile::remove(path);
    auto device = Attach(path, productId);
    bool stored = false;
    {
        CUSBPort port;
        CLooperSongTable table(port);
        stored = port.Connect(0) && table.LoadSongs() == RESULT_OK;
        for (auto song = songs.begin(); stored && song != songs.end(); ++song)
            stored = table.WriteSong(song.key(), reinterpret_cast<const uint8_t *>(song.value().constData()),
                                     uint32_t(song.value().size()), nullptr) == RESULT_OK;
    }
    return Detach(std::move(device)) && stored;
}

bool LooperFlashFile::Read(const QString &path, uint32_t productId, QMap<uint32_t, QByteArray> &songs)
{
    auto device = Attach(path, productId);
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
    return Detach(std::move(device)) && read;
}

bool LooperFlashFile::Damage(const QString &path, uint32_t productId, uint32_t address,
                             const QByteArray &bytes)
{
    auto device = Attach(path, productId);
    device->Flash().Poke(1, address, std::vector<uint8_t>(bytes.begin(), bytes.end()));
    return Detach(std::move(device));
}
