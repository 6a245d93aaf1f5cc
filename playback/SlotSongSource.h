#pragma once

#include "CSongSource.h"

#include <cstdint>
#include <memory>

class CLooperSongTable;
class CSongCache;
class CUSBPort;

// The song of a loaded slot from `startByte` on: from the bytes the cache keeps of it, which costs
// no device traffic, or else read out of the looper. *fromCache, when given, says which.
std::unique_ptr<CSongSource> SlotSongSource(CUSBPort &port, const CLooperSongTable &table,
                                            const CSongCache &cache, uint32_t slot, uint32_t startByte,
                                            bool *fromCache = nullptr);
