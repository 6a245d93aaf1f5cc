#include "CLooperSongTable.h"
#include "CSimBus.h"
#include "CSimulatorBackend.h"
#include "CUSBPort.h"
#include "CWave.h"
#include "FuzzSeeds.h"

#include <QTemporaryDir>

namespace {
// The first pages of slot 0's FAT block after real writes, as the fuzz target lays them out.
QByteArray RecordSeed(uint8_t modelIndex, uint32_t product, const std::vector<uint32_t> &songLengths)
{
    SSimDeviceConfig config;
    config.productId = product;
    auto device = std::make_shared<CSimDevice>(config);
    CSimBus::Instance().Clear();
    CSimBus::Instance().Attach(device);
    CUSBPort port;
    port.Connect(0);
    CLooperSongTable table(port);
    table.LoadSongs();
    for (uint32_t length : songLengths) {
        std::vector<uint8_t> song(length, 0x5A);
        table.WriteSong(0, song.data(), length, nullptr);
        table.LoadSongs();
    }
    const FlashGeometry &geometry = *FindDeviceModel(product)->geometry;
    const std::vector<uint8_t> fat =
        device->Flash().Read(1, PageAddress(geometry, geometry.dataBlockCount, 0), geometry.pageSize * 4);
    CSimBus::Instance().Clear();
    return QByteArray(1, char(modelIndex)) +
           QByteArray(reinterpret_cast<const char *>(fat.data()), int(fat.size()));
}
} // namespace

void MakeSongRecordSeeds(CSeedWriter &writer)
{
    SetMidiBackend(std::make_shared<CSimulatorBackend>());
    writer.Write(RecordSeed(0, 10002, {5000}));
    writer.Write(RecordSeed(0, 10002, {3000, 40000}));
    writer.Write(RecordSeed(1, 10003, {1000}));
    writer.Write(RecordSeed(2, 10004, {130945}));
}

void MakeWaveSeeds(CSeedWriter &writer)
{
    QTemporaryDir dir;
    const struct {
        uint16_t channels;
        uint32_t rate;
        uint16_t bits;
    } layouts[] = {{1, 46875, 24}, {2, 44100, 16}, {1, 48000, 16}, {2, 46875, 24}, {1, 8000, 8}};
    for (const auto &layout : layouts) {
        CWave wave;
        wave.SetFormat(layout.channels, layout.rate, layout.bits);
        const uint32_t frames = 40;
        uint8_t *array = new uint8_t[frames * wave.format.blockAlign];
        for (uint32_t i = 0; i < frames * wave.format.blockAlign; ++i)
            array[i] = uint8_t(i * 13);
        wave.SetData(array, frames);
        const QString path = dir.filePath("seed.wav");
        wave.Save(path);
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        writer.Write(file.readAll());
    }
}
