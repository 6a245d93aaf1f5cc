#include "BenchLooper.h"
#include "ResultCodes.h"

#include <benchmark/benchmark.h>

namespace {
const uint32_t FULL_SLOT = 41287680;
const uint8_t ERASE_COMMAND = 0x21;
const uint8_t SONG_AREA = 1;

// The process's CPU time over the wall time of one long wait for an erase reply.
void WaitForErase(benchmark::State &state, const SSimFault &fault)
{
    SBenchLooper looper(10002);
    looper.device->SetFault(fault);
    for (auto _ : state) {
        const double cpuStart = ProcessCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(looper.port.EraseSector(SONG_AREA, 0));
        state.counters["cpu_percent"] = 100 * (ProcessCpuSeconds() - cpuStart) / SecondsSince(start);
    }
}

// A looper that never answers: the whole 30 s erase time-out is silence.
void BM_SilentEraseWait(benchmark::State &state)
{
    WaitForErase(state, {SIM_FAULT_SILENCE, 0, ERASE_COMMAND});
}

// A looper that answers after 20 s.
void BM_DelayedEraseReply(benchmark::State &state)
{
    SSimFault fault{SIM_FAULT_DELAY, 0, ERASE_COMMAND};
    fault.delayMs = 20000;
    WaitForErase(state, fault);
}

// The program's time for a transfer over the time its bytes alone take on the paced wire.
void ReportWireRatio(benchmark::State &state, std::chrono::nanoseconds wireBefore,
                     std::chrono::steady_clock::time_point start)
{
    const double seconds = SecondsSince(start);
    const double wireSeconds =
        std::chrono::duration<double>(CSimBus::Instance().WireTime() - wireBefore).count();
    state.counters["wire_s"] = wireSeconds;
    state.counters["over_wire"] = seconds / wireSeconds;
    state.counters["MB_per_s"] = FULL_SLOT / 1e6 / seconds;
}

// Every erase and write of a full PULSE RIG slot on a full-speed USB wire.
void BM_DownloadFullSlotUsbWire(benchmark::State &state)
{
    SBenchLooper looper(10002);
    std::vector<uint8_t> song(FULL_SLOT, 0x33);
    CSimBus::Instance().SetUsbWirePace(true);
    for (auto _ : state) {
        const auto wireBefore = CSimBus::Instance().WireTime();
        const auto start = std::chrono::steady_clock::now();
        if (looper.table.WriteSong(0, song.data(), FULL_SLOT, nullptr) != RESULT_OK)
            state.SkipWithError("the song was not stored");
        ReportWireRatio(state, wireBefore, start);
    }
    CSimBus::Instance().SetUsbWirePace(false);
}

// Every read of the same slot on the same wire.
void BM_UploadFullSlotUsbWire(benchmark::State &state)
{
    SBenchLooper looper(10002);
    std::vector<uint8_t> song(FULL_SLOT, 0x44);
    looper.table.WriteSong(0, song.data(), FULL_SLOT, nullptr);
    looper.table.LoadSongs();
    CSimBus::Instance().SetUsbWirePace(true);
    for (auto _ : state) {
        const auto wireBefore = CSimBus::Instance().WireTime();
        const auto start = std::chrono::steady_clock::now();
        if (looper.table.ReadSong(0, song.data(), FULL_SLOT, nullptr) != RESULT_OK)
            state.SkipWithError("the song was not read");
        ReportWireRatio(state, wireBefore, start);
    }
    CSimBus::Instance().SetUsbWirePace(false);
}
} // namespace

BENCHMARK(BM_SilentEraseWait)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_DelayedEraseReply)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_DownloadFullSlotUsbWire)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_UploadFullSlotUsbWire)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

BRINDLE_BENCH_MAIN()
