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

// Runs step once per round on a new full looper and reports the device requests of the last round;
// failure is the error when step does not succeed.
template <typename Step> void CountRequests(benchmark::State &state, const char *failure, Step step)
{
    SFullLooper looper;
    size_t seen = looper.device->Requests().size();
    size_t requests = 0;
    for (auto _ : state) {
        if (step(looper.table) != RESULT_OK)
            state.SkipWithError(failure);
        const size_t now = looper.device->Requests().size();
        requests = now - std::exchange(seen, now);
    }
    state.counters["requests"] = double(requests);
}

// The two full slots swap their songs, and back: each swap writes a record on each FAT block, so
// the two blocks take a few dozen swaps before they are full.
void BM_SwapFullSlots(benchmark::State &state)
{
    CountRequests(state, "the swap failed", [](CLooperSongTable &table) { return table.SwapSongs(0, 1); });
}

// A full song moves into an empty slot, and on the next round back again.
void BM_MoveFullSlot(benchmark::State &state)
{
    uint32_t from = 0;
    uint32_t to = 2;
    CountRequests(state, "the move failed", [&from, &to](CLooperSongTable &table) {
        const int32_t result = table.MoveSong(from, to);
        std::swap(from, to);
        return result;
    });
}

// What a command line or the window adds before either: loading every slot's record.
void BM_LoadEverySlot(benchmark::State &state)
{
    CountRequests(state, "the load failed", [](CLooperSongTable &table) { return table.LoadEachSong(); });
}
} // namespace

BENCHMARK(BM_SwapFullSlots)->Iterations(20)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveFullSlot)->Iterations(20)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadEverySlot)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

BRINDLE_BENCH_MAIN()
