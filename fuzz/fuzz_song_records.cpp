#include "CLooperSongTable.h"
#include "CSimBus.h"
#include "CSimulatorBackend.h"
#include "CUSBPort.h"
#include "FuzzSupport.h"
#include "MillisecondClock.h"

namespace {
const uint32_t PRODUCTS[] = {10002, 10003, 10004};
// Songs larger than this are not read back: reading is paced by the device, not by the parser.
const uint32_t MAX_READ_BACK = 65536;

struct SFixture {
    SFixture()
    {
        StartFuzzApplication();
        SilenceMessages();
        SetMillisecondSource(&SimulatedIdleMilliseconds);
        SetMidiBackend(std::make_shared<CSimulatorBackend>());
    }
};

// The FAT blocks of the first slots get the fuzz bytes, a few pages each from their start.
void FillFatBlocks(CSimDevice &device, const FlashGeometry &geometry, uint32_t slotCount, const uint8_t *data,
                   size_t size)
{
    const size_t chunk = size_t(geometry.pageSize) * 4;
    const uint32_t filled = uint32_t(std::min<size_t>(slotCount, (size + chunk - 1) / chunk));
    for (uint32_t slot = 0; slot < filled; ++slot) {
        const size_t offset = size_t(slot) * chunk;
        const size_t length = std::min(chunk, size - offset);
        device.Flash().Poke(1, PageAddress(geometry, geometry.dataBlockCount + slot, 0),
                            std::vector<uint8_t>(data + offset, data + offset + length));
    }
}
} // namespace

// Records off the flash as hostile input: load every slot of a model whose FAT blocks hold the
// fuzz bytes, then read back every song that a slot reports.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static SFixture fixture;
    if (size < 1)
        return 0;
    const uint32_t product = PRODUCTS[data[0] % 3];
    SSimDeviceConfig config;
    config.productId = product;
    auto device = std::make_shared<CSimDevice>(config);
    CSimBus::Instance().Clear();
    CSimBus::Instance().Attach(device);
    const DeviceModel *model = FindDeviceModel(product);
    FillFatBlocks(*device, *model->geometry, model->songSlots, data + 1, size - 1);
    CUSBPort port;
    if (!port.Connect(0))
        return 0;
    CLooperSongTable table(port);
    table.LoadSongs();
    for (uint32_t slot = 0; slot < table.StoreCount(); ++slot) {
        CLooperSongBase *store = table.Store(slot);
        if (!store || !store->HasSong() || store->GetSize() > MAX_READ_BACK)
            continue;
        std::vector<uint8_t> song(store->GetSize());
        table.ReadSong(slot, song.data(), uint32_t(song.size()), nullptr);
    }
    return 0;
}
