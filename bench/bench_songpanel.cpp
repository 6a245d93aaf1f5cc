#include "BenchLooper.h"
#include "COverviewReader.h"
#include "CSongInfoKeeper.h"
#include "ResultCodes.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

namespace {
const uint32_t PULSE_RIG = 10002;
// Two bars at 120 BPM, as the demo songs are.
const uint32_t FOUR_SECONDS = 46875 * 3 * 4;
const uint32_t FULL_SLOT = 41287680;

// A PULSE RIG holding one song of the given size in its first slot, reached over the full-speed
// USB wire; the cache goes to a folder of its own.
struct SSongLooper : SBenchLooper {
    explicit SSongLooper(uint32_t bytes) : SBenchLooper(PULSE_RIG), song(bytes)
    {
        qputenv("XDG_CACHE_HOME", QFile::encodeName(home.path()));
        for (size_t i = 0; i < song.size(); ++i)
            song[i] = uint8_t(i * 7 + i / 4099);
        table.WriteSong(0, song.data(), bytes, nullptr);
        table.LoadSongs();
        CSimBus::Instance().SetUsbWirePace(true);
    }
    ~SSongLooper() { CSimBus::Instance().SetUsbWirePace(false); }

    QTemporaryDir home;
    std::vector<uint8_t> song;
};

// From the row's selection to its waveform: every request of the overview, one after the other,
// as the window's event loop sends them.
void BM_FirstOverview(benchmark::State &state)
{
    SSongLooper looper(uint32_t(state.range(0)));
    const SSongIdentity identity = SongIdentityOf(looper.table, PULSE_RIG, 0);
    uint32_t requests = 0;
    for (auto _ : state) {
        COverviewReader reader(looper.table, 0, identity);
        COverviewReader::EStep step = COverviewReader::STEP_MORE;
        while (step == COverviewReader::STEP_MORE)
            step = reader.Step(looper.table);
        if (step != COverviewReader::STEP_DONE)
            state.SkipWithError("the overview was not read");
        requests = reader.RequestCount();
    }
    state.counters["requests"] = requests;
}

// The whole song read (as an upload, export or backup reads it), then its exact peaks and its
// bytes kept in the cache.
void BM_ExactWaveform(benchmark::State &state)
{
    SSongLooper looper(uint32_t(state.range(0)));
    CSongInfoKeeper keeper(looper.table, looper.port, true);
    looper.table.SetObserver(&keeper);
    const uint32_t size = looper.table.Store(0)->GetSize();
    for (auto _ : state) {
        if (looper.table.ReadSong(0, looper.song.data(), size, nullptr) != RESULT_OK)
            state.SkipWithError("the song was not read");
    }
    looper.table.SetObserver(nullptr);
    const auto start = std::chrono::steady_clock::now();
    keeper.KeepWholeSong(keeper.Identity(0), looper.song.data(), size);
    // Of the time above, what keeping the peaks and the bytes took.
    state.counters["keep_s"] = SecondsSince(start);
}

// A second look: the peaks from the cache, no device traffic.
void BM_CachedPeaks(benchmark::State &state)
{
    SSongLooper looper(FULL_SLOT);
    CSongInfoKeeper keeper(looper.table, looper.port, true);
    const SSongIdentity identity = keeper.Identity(0);
    keeper.KeepWholeSong(identity, looper.song.data(), looper.table.Store(0)->GetSize());
    for (auto _ : state) {
        SSongPeaks peaks;
        if (!keeper.Cache().LoadPeaks(identity, peaks))
            state.SkipWithError("no peaks kept");
    }
}
} // namespace

BENCHMARK(BM_FirstOverview)
    ->Arg(FOUR_SECONDS)
    ->Arg(FULL_SLOT)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExactWaveform)
    ->Arg(FOUR_SECONDS)
    ->Arg(FULL_SLOT)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CachedPeaks)->UseRealTime()->Unit(benchmark::kMicrosecond);

BRINDLE_BENCH_MAIN()
