#include "BenchLooper.h"
#include "CLooperSongSource.h"
#include "CSongPlayer.h"
#include "MidiLibraryMessages.h"
#include "ResultCodes.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <thread>

// Plays on the first audio output that works (PulseAudio, ALSA, JACK; BRINDLE_AUDIO_API chooses),
// from a simulated PULSE RIG on the paced full-speed USB wire.
namespace {
const uint32_t FOUR_SECONDS = 4 * 46875 * 3;
// A PULSE RIG slot filled to its limit: 160 blocks, 4:53.6 of audio.
const uint32_t FULL_SLOT = 41287680;
const double PLAYING_ONLY_SECONDS = 10;

bool OpenOutput(CAudioOutput &output, benchmark::State &state)
{
    QuietMidiLibraries(true);
    QString errorText;
    if (output.Open(AudioOutputChoice(QString(), QString()), errorText)) {
        state.SetLabel(output.Name().toStdString());
        return true;
    }
    state.SkipWithError(errorText.toUtf8().constData());
    return false;
}

// The looper holding one song of `bytes` bytes in slot 1, its wire paced from then on.
void StoreSong(SBenchLooper &looper, uint32_t bytes, benchmark::State &state)
{
    std::vector<uint8_t> song(bytes);
    for (size_t i = 0; i < song.size(); ++i)
        song[i] = uint8_t(i * 7);
    if (looper.table.WriteSong(0, song.data(), bytes, nullptr) != RESULT_OK ||
        looper.table.LoadSongs() != RESULT_OK)
        state.SkipWithError("the song was not stored");
    CSimBus::Instance().SetUsbWirePace(true);
}

std::unique_ptr<CSongPlayer> StartPlayer(SBenchLooper &looper, CAudioOutput &output, benchmark::State &state)
{
    auto source = std::make_unique<CLooperSongSource>(looper.port, looper.table, 0, 0);
    auto player = std::make_unique<CSongPlayer>(std::move(source), output);
    QString errorText;
    if (player->Play(errorText))
        return player;
    state.SkipWithError(errorText.toUtf8().constData());
    return nullptr;
}

// Opening the audio output, which the window does once and brindle-cli play before it reads.
void BM_OpenOutput(benchmark::State &state)
{
    for (auto _ : state) {
        CAudioOutput output;
        if (!OpenOutput(output, state))
            break;
    }
}

// From Play, on an open output, to the first frames the output took.
void BM_TimeToFirstSound(benchmark::State &state)
{
    CAudioOutput output;
    SBenchLooper looper(10002);
    if (!OpenOutput(output, state))
        return;
    StoreSong(looper, uint32_t(state.range(0)), state);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        auto player = StartPlayer(looper, output, state);
        while (player && player->Step() == PLAY_RUNNING && player->PositionSeconds() == 0) {
        }
        state.SetIterationTime(SecondsSince(start));
    }
    CSimBus::Instance().SetUsbWirePace(false);
}

// A full slot played from its start: how far the read runs ahead of what is heard while it goes on,
// the CPU the program takes while it reads and plays, and while it only plays.
void BM_ReadLeadFullSlot(benchmark::State &state)
{
    CAudioOutput output;
    SBenchLooper looper(10002);
    if (!OpenOutput(output, state))
        return;
    StoreSong(looper, FULL_SLOT, state);
    for (auto _ : state) {
        auto player = StartPlayer(looper, output, state);
        if (!player)
            break;
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ProcessCpuSeconds();
        double leastLead = 1e9;
        while (player->Step() == PLAY_RUNNING && player->Reading()) {
            if (player->PositionSeconds() > 0)
                leastLead = std::min(leastLead, player->ReadSeconds() - player->PositionSeconds());
        }
        const double readWall = SecondsSince(start);
        state.counters["read_s"] = readWall;
        state.counters["least_lead_s"] = leastLead;
        state.counters["lead_at_read_end_s"] = player->ReadSeconds() - player->PositionSeconds();
        state.counters["cpu_reading_pct"] = 100 * (ProcessCpuSeconds() - cpuStart) / readWall;
        const auto playing = std::chrono::steady_clock::now();
        const double cpuPlaying = ProcessCpuSeconds();
        while (SecondsSince(playing) < PLAYING_ONLY_SECONDS && player->Step() == PLAY_RUNNING)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        state.counters["cpu_playing_pct"] = 100 * (ProcessCpuSeconds() - cpuPlaying) / SecondsSince(playing);
        state.counters["underrun_frames"] = double(player->UnderrunFrames());
    }
    CSimBus::Instance().SetUsbWirePace(false);
}
} // namespace

BENCHMARK(BM_OpenOutput)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TimeToFirstSound)
    ->Arg(FOUR_SECONDS)
    ->Arg(FULL_SLOT)
    ->Iterations(10)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLeadFullSlot)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

BRINDLE_BENCH_MAIN()
