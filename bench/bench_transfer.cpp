#include "BenchLooper.h"
#include "CWave.h"
#include "ResultCodes.h"

#include <benchmark/benchmark.h>

namespace {
// A PULSE RIG slot filled to its limit: the largest song the looper family holds per slot.
const uint32_t FULL_SLOT = 41287680;
// The Corvel Solo's one slot filled to its limit; its legacy layout verifies every write.
const uint32_t SOLO_FULL_SLOT = 85113600;

// WAV file to device: conversion of a 44100 Hz clip, then every erase and write of a full slot.
void BM_DownloadFullSlot(benchmark::State &state)
{
    SBenchLooper looper(10002);
    CWave wave;
    wave.SetFormat(1, TARGET_RATE_DOWNLOAD, 24);
    wave.format.extraSize = 0;
    const uint32_t frames = FULL_SLOT / 3 + 1;
    wave.SetData(new uint8_t[size_t(frames) * 3](), frames);
    wave.Convert(TARGET_RATE_DOWNLOAD);
    for (auto _ : state)
        benchmark::DoNotOptimize(looper.table.WriteSong(0, wave.buffer.data, wave.DataLength(), nullptr));
    state.SetBytesProcessed(int64_t(state.iterations()) * wave.DataLength());
    state.counters["peak_MB"] = PeakMegabytes();
}

// Device to WAV data: every read of a full slot, then the conversion to 48000 Hz.
void BM_UploadFullSlot(benchmark::State &state)
{
    SBenchLooper looper(10002);
    std::vector<uint8_t> song(FULL_SLOT, 0x11);
    looper.table.WriteSong(0, song.data(), FULL_SLOT, nullptr);
    looper.table.LoadSongs();
    const uint32_t size = looper.table.Store(0)->GetSize();
    for (auto _ : state) {
        uint8_t *array = new uint8_t[size];
        looper.table.ReadSong(0, array, size, nullptr);
        CWave clip;
        clip.SetFormat(1, TARGET_RATE_DOWNLOAD, 24);
        clip.SetData(array, size / 3);
        clip.Convert(TARGET_RATE_UPLOAD);
        benchmark::DoNotOptimize(clip.buffer.data);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * size);
    state.counters["peak_MB"] = PeakMegabytes();
}

// Song bytes to a Corvel Solo: every erase, write and write check of its full slot.
void BM_DownloadSoloFullSlot(benchmark::State &state)
{
    SBenchLooper looper(10003);
    std::vector<uint8_t> song(SOLO_FULL_SLOT, 0x22);
    for (auto _ : state) {
        if (looper.table.WriteSong(0, song.data(), SOLO_FULL_SLOT, nullptr) != RESULT_OK)
            state.SkipWithError("the song was not stored");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * SOLO_FULL_SLOT);
}
} // namespace

// Rates over wall time: the device link's waits are what these measure.
BENCHMARK(BM_DownloadFullSlot)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_UploadFullSlot)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_DownloadSoloFullSlot)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

BRINDLE_BENCH_MAIN()
