#include "BenchLooper.h"
#include "ResultCodes.h"

#include <benchmark/benchmark.h>

#include <utility>

namespace {
const uint32_t PULSE_RIG = 10002;
const uint32_t FULL_SLOT = 41287680;

// A PULSE RIG with full songs (160 blocks each) in its first two slots, reached over the
// full-speed USB wire once they are stored.
struct SFullLooper : SBenchLooper {
    SFullLooper() : SBenchLooper(PULSE_RIG)
    {
        std::vector<uint8_t> song(FULL_SLOT);
        for (uint32_t slot = 0; slot < 2; ++slot) {
            for (size_t i = 0; i < song.size(); ++i)
                song[i] = uint8_t(i * 7 + i / 4099 + slot);
            table.WriteSong(slot, song.data(), FULL_SLOT, nullptr);
        }
        table.LoadEachSong();
        CSimBus::Instance().SetUsbWirePace(true);
    }
    ~SFullLooper() { CSimBus::Instance().SetUsbWirePace(false); }
};

// Device requests since the count was last taken.
size_t RequestsSince(SFullLooper &looper, size_t &seen)
{
    const size_t now = looper.device->Requests().size();
    return now - std::exchange(seen, now);
}

// The two full slots swap their songs, and back: each swap writes a record on each FAT block, so
// the two blocks take a few dozen swaps before they are full.
void BM_SwapFullSlots(benchmark::State &state)
{
    SFullLooper looper;
    size_t seen = looper.device->Requests().size();
    size_t requests = 0;
    for (auto _ : state) {
        if (looper.table.SwapSongs(0, 1) != RESULT_OK)
            state.SkipWithError("the swap failed");
        requests = RequestsSince(looper, seen);
    }
    state.counters["requests"] = double(requests);
}

// A full song moves into an empty slot, and on the next round back again.
void BM_MoveFullSlot(benchmark::State &state)
{
    SFullLooper looper;
    uint32_t from = 0;
    uint32_t to = 2;
    size_t seen = looper.device->Requests().size();
    size_t requests = 0;
    for (auto _ : state) {
        if (looper.table.MoveSong(from, to) != RESULT_OK)
            state.SkipWithError("the move failed");
        std::swap(from, to);
        requests = RequestsSince(looper, seen);
    }
    state.counters["requests"] = double(requests);
}

// What a command line or the window adds before either: loading every slot's record.
void BM_LoadEverySlot(benchmark::State &state)
{
    SFullLooper looper;
    size_t seen = looper.device->Requests().size();
    size_t requests = 0;
    for (auto _ : state) {
        if (looper.table.LoadEachSong() != RESULT_OK)
            state.SkipWithError("the load failed");
        requests = RequestsSince(looper, seen);
    }
    state.counters["requests"] = double(requests);
}
} // namespace

BENCHMARK(BM_SwapFullSlots)->Iterations(20)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveFullSlot)->Iterations(20)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadEverySlot)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

BRINDLE_BENCH_MAIN()
