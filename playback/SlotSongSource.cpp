#include "SlotSongSource.h"

#include "CLooperSongSource.h"
#include "CLooperSongTable.h"
#include "CSongBytesSource.h"
#include "CSongCache.h"
#include "CUSBPort.h"
#include "SSongIdentity.h"

std::unique_ptr<CSongSource> SlotSongSource(CUSBPort &port, const CLooperSongTable &table,
                                            const CSongCache &cache, uint32_t slot, uint32_t startByte,
                                            bool *fromCache)
{
    const CLooperSongBase *store = table.Store(slot);
    std::vector<uint8_t> song;
    const bool cached = store &&
                        cache.LoadSongBytes(SongIdentityOf(table, port.Identity().productId, slot), song) &&
                        song.size() == store->GetSize();
    if (fromCache)
        *fromCache = cached;
    if (!cached)
        return std::make_unique<CLooperSongSource>(port, table, slot, startByte);
    const FlashGeometry &geometry = table.Geometry();
    return std::make_unique<CSongBytesSource>(std::move(song), geometry.sampleRate, geometry.channels,
                                              startByte);
}
