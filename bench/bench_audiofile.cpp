#include "AudioExport.h"
#include "AudioImport.h"
#include "CWave.h"
#include "ToneMeasure.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

// The high-quality audio file path against the linear conversion of Download and Upload: quality
// figures printed first, then the speed of both on the same five-minute stereo clip, and the peak memory
// of an import of nearly the longest song a Corvel slot holds, from files at 1 Hz, 44.1 kHz and 768 kHz.

namespace {
const uint32_t CLIP_RATE = 44100;
const uint32_t CLIP_FRAMES = CLIP_RATE * 300;
const double MINUS_6_DBFS = 0.5011872336272722;
const int WAV_16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
const int WAV_24 = SF_FORMAT_WAV | SF_FORMAT_PCM_24;

QTemporaryDir &Scratch()
{
    static QTemporaryDir dir;
    return dir;
}

const FlashGeometry &Geometry(uint32_t productId)
{
    return *FindDeviceModel(productId)->geometry;
}

// 24-bit mono samples of a tone at rate, as a CWave clip for the linear conversion.
void FillToneWave(CWave &wave, uint32_t rate, const std::vector<double> &samples)
{
    wave.SetFormat(1, rate, 24);
    uint8_t *bytes = new uint8_t[samples.size() * 3];
    for (size_t k = 0; k < samples.size(); ++k) {
        const int32_t value = int32_t(std::lrint(samples[k] * 8388607));
        bytes[3 * k] = uint8_t(value);
        bytes[3 * k + 1] = uint8_t(value >> 8);
        bytes[3 * k + 2] = uint8_t(value >> 16);
    }
    wave.SetData(bytes, uint32_t(samples.size()));
}

std::vector<double> WaveSamples(const CWave &wave)
{
    return DeviceSamples(std::vector<uint8_t>(wave.buffer.data, wave.buffer.data + wave.DataLength()));
}

std::vector<double> ToneSamples(const STone &tone, uint32_t rate, uint32_t frames)
{
    std::vector<double> samples;
    for (uint32_t k = 0; k < frames; ++k)
        samples.push_back(tone.amplitude * std::sin(2 * M_PI * tone.frequency * k / rate));
    return samples;
}

// A second of the tone at 48000 Hz stored in a Corvel Solo: by Convert, or by the import.
std::vector<double> LinearImport(const STone &tone)
{
    CWave wave;
    FillToneWave(wave, 48000, ToneSamples(tone, 48000, 48000));
    wave.Convert(TARGET_RATE_DOWNLOAD);
    return WaveSamples(wave);
}

std::vector<double> QualityImport(const STone &tone, std::vector<uint8_t> &song)
{
    const QString path = Scratch().filePath("tone.wav");
    WriteToneFile(path, WAV_24, 48000, {tone}, 48000);
    ConvertAudioFileForDevice(path, Geometry(10003), CHANNELS_DEFAULT, song);
    return DeviceSamples(song);
}

std::vector<double> LinearRoundTrip(const STone &tone)
{
    CWave wave;
    FillToneWave(wave, TARGET_RATE_DOWNLOAD, LinearImport(tone));
    wave.Convert(TARGET_RATE_UPLOAD);
    return WaveSamples(wave);
}

std::vector<double> QualityRoundTrip(const STone &tone)
{
    std::vector<uint8_t> song;
    QualityImport(tone, song);
    const QString path = Scratch().filePath("back.wav");
    SaveSongAsAudioFile(song.data(), uint32_t(song.size()), Geometry(10003), path, SAudioExportFormat());
    uint32_t channels = 0;
    uint32_t rate = 0;
    return ReadSoundFile(path, channels, rate);
}

void PrintRow(const char *label, double linear, double quality)
{
    std::printf("%-52s %10.3f dB %12.3f dB\n", label, linear, quality);
}

void PrintQuality()
{
    const STone ten{10000, MINUS_6_DBFS};
    const STone twenty{20000, MINUS_6_DBFS};
    const STone above{23800, MINUS_6_DBFS};
    const double full = 20 * std::log10(MINUS_6_DBFS);
    const double fullRms = 20 * std::log10(MINUS_6_DBFS / std::sqrt(2.0));
    std::vector<uint8_t> song;
    std::printf("%-52s %13s %15s\n", "48000 Hz 24-bit tone at -6 dBFS", "linear", "libsoxr HQ");
    PrintRow("10 kHz into the looper: SNR", SnrAgainstTone(LinearImport(ten), 46875, ten),
             SnrAgainstTone(QualityImport(ten, song), 46875, ten));
    PrintRow("  the same after the best time alignment", SnrAfterFit(LinearImport(ten), 46875, 10000),
             SnrAfterFit(QualityImport(ten, song), 46875, 10000));
    PrintRow("20 kHz into the looper: level change", ToneLevelDb(LinearImport(twenty), 46875, 20000) - full,
             ToneLevelDb(QualityImport(twenty, song), 46875, 20000) - full);
    PrintRow("23.8 kHz into the looper: level left", RmsDb(LinearImport(above)) - fullRms,
             RmsDb(QualityImport(above, song)) - fullRms);
    PrintRow("10 kHz in and out at 48000 Hz: SNR", SnrAgainstTone(LinearRoundTrip(ten), 48000, ten),
             SnrAgainstTone(QualityRoundTrip(ten), 48000, ten));
    PrintRow("  the same after the best time alignment", SnrAfterFit(LinearRoundTrip(ten), 48000, 10000),
             SnrAfterFit(QualityRoundTrip(ten), 48000, 10000));
    PrintRow("20 kHz in and out at 48000 Hz: level change",
             ToneLevelDb(LinearRoundTrip(twenty), 48000, 20000) - full,
             ToneLevelDb(QualityRoundTrip(twenty), 48000, 20000) - full);
    std::printf("\n");
}

// The five-minute stereo clip, once as a file and once as a CWave source.
const QString &StereoClipFile()
{
    static const QString path = [] {
        const QString file = Scratch().filePath("clip.wav");
        WriteToneFile(file, WAV_16, CLIP_RATE, {{440, 0.5}, {1000, 0.4}}, CLIP_FRAMES);
        return file;
    }();
    return path;
}

void BM_LinearConvert(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        CWave wave;
        wave.Load(StereoClipFile());
        state.ResumeTiming();
        wave.Convert(TARGET_RATE_DOWNLOAD);
        benchmark::DoNotOptimize(wave.buffer.data);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * CLIP_FRAMES);
}

void BM_Import(benchmark::State &state)
{
    const FlashGeometry &geometry = Geometry(uint32_t(state.range(0)));
    for (auto _ : state) {
        std::vector<uint8_t> song;
        ConvertAudioFileForDevice(StereoClipFile(), geometry, CHANNELS_DEFAULT, song);
        benchmark::DoNotOptimize(song.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * CLIP_FRAMES);
}

void BM_Export(benchmark::State &state)
{
    const FlashGeometry &geometry = Geometry(uint32_t(state.range(0)));
    std::vector<uint8_t> song;
    ConvertAudioFileForDevice(StereoClipFile(), geometry, CHANNELS_DEFAULT, song);
    const QString path = Scratch().filePath("export.wav");
    for (auto _ : state)
        SaveSongAsAudioFile(song.data(), uint32_t(song.size()), geometry, path, SAudioExportFormat());
    state.SetItemsProcessed(int64_t(state.iterations()) * song.size() / (3 * geometry.channels));
}

long StatusKilobytes(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(line.find(':') + 1));
    }
    return 0;
}

// Peak resident memory added by an import of a ten-minute file into a Corvel Solo (nearly its longest
// song), as a multiple of the song's size, for a file at the rate given: the pieces the file is read
// and converted in do not grow with the rate.
void BM_ImportPeakMemory(benchmark::State &state)
{
    const uint32_t rate = uint32_t(state.range(0));
    const QString path = Scratch().filePath("long.wav");
    if (!WriteToneFile(path, WAV_16, rate, {{1000, 0.5}}, rate * 600)) {
        state.SkipWithError("the ten-minute tone could not be written");
        return;
    }
    for (auto _ : state) {
        std::ofstream("/proc/self/clear_refs") << "5";
        const long before = StatusKilobytes("VmRSS");
        std::vector<uint8_t> song;
        ConvertAudioFileForDevice(path, Geometry(10003), CHANNELS_DEFAULT, song);
        const long peak = StatusKilobytes("VmHWM");
        state.counters["song_MB"] = double(song.size()) / 1e6;
        state.counters["peak_over_song"] = double(peak - before) * 1024 / double(song.size());
    }
    QFile::remove(path);
}
} // namespace

BENCHMARK(BM_LinearConvert)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Import)->Arg(10003)->Arg(10004)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Export)->Arg(10003)->Arg(10004)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportPeakMemory)->Arg(1)->Arg(44100)->Arg(768000)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    PrintQuality();
    StereoClipFile();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
