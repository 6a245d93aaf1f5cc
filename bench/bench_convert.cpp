#include "CWave.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {
// A clip of `frames` frames in the given layout, filled with a changing pattern.
void FillClip(CWave &wave, uint16_t channels, uint32_t rate, uint16_t bits, uint32_t frames)
{
    wave.SetFormat(channels, rate, bits);
    wave.format.extraSize = 0;
    const size_t bytes = size_t(frames) * wave.format.blockAlign;
    uint8_t *array = new uint8_t[bytes];
    for (size_t i = 0; i < bytes; ++i)
        array[i] = uint8_t(i * 31 + 7);
    wave.SetData(array, frames);
}

void Run(benchmark::State &state, uint16_t channels, uint32_t rate, uint16_t bits, uint32_t target)
{
    const uint32_t frames = uint32_t(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        CWave wave;
        FillClip(wave, channels, rate, bits, frames);
        state.ResumeTiming();
        wave.Convert(target);
        benchmark::DoNotOptimize(wave.buffer.data);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * frames);
    state.SetBytesProcessed(int64_t(state.iterations()) * frames * channels * bits / 8);
}

void BM_UploadConvert(benchmark::State &state)
{
    Run(state, 1, TARGET_RATE_DOWNLOAD, 24, TARGET_RATE_UPLOAD);
}

void BM_DownloadConvert(benchmark::State &state)
{
    Run(state, 2, 44100, 16, TARGET_RATE_DOWNLOAD);
}
} // namespace

BENCHMARK(BM_UploadConvert)->Arg(4000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DownloadConvert)->Arg(4000000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
