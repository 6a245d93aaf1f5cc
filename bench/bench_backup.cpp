#include "CLooperSongTable.h"
#include "CSimBus.h"
#include "CSimulatorBackend.h"
#include "CSongBackup.h"
#include "CSongRestore.h"
#include "CUSBPort.h"
#include "ResultCodes.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace {
const uint32_t BYTES_PER_BLOCK = 64 * 4032;
const uint32_t DATA_BLOCKS = 1970;
const uint32_t SLOTS = 30;
const uint32_t LONGEST_SONG_BLOCKS = 160;
const uint32_t LONGEST_SONGS = 5;

// A PULSE RIG whose every data block holds song bytes: five songs as long as a slot holds, the
// other blocks spread over the other 25 slots.
struct SFullLooper {
    SFullLooper()
    {
        SetMidiBackend(std::make_shared<CSimulatorBackend>());
        SSimDeviceConfig config;
        config.productId = 10002;
        CSimBus::Instance().Clear();
        CSimBus::Instance().Attach(std::make_shared<CSimDevice>(config));
        port.Connect(0);
        table.LoadEachSong();
        uint32_t left = DATA_BLOCKS;
        for (uint32_t slot = 0; slot < SLOTS; ++slot) {
            const uint32_t blocks = slot < LONGEST_SONGS ? LONGEST_SONG_BLOCKS : left / (SLOTS - slot);
            std::vector<uint8_t> song(size_t(blocks) * BYTES_PER_BLOCK, uint8_t(slot * 7 + 1));
            table.WriteSong(slot, song.data(), uint32_t(song.size()), nullptr);
            left -= blocks;
        }
        table.LoadEachSong();
    }
    uint64_t SongBytes() const
    {
        uint64_t total = 0;
        for (uint32_t slot = 0; slot < table.StoreCount(); ++slot)
            total += table.Store(slot)->GetSize();
        return total;
    }
    CUSBPort port;
    CLooperSongTable table{port};
    QTemporaryDir folder;
};

SFullLooper &Looper()
{
    static SFullLooper looper;
    return looper;
}

long StatusKilobytes(const char *field)
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

// The peak resident size from here on (Linux: writing 5 to clear_refs resets it).
long ResetPeak()
{
    QFile refs("/proc/self/clear_refs");
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
    return StatusKilobytes("VmRSS:");
}

// The simulated flash lives in this process: the work's own memory is the peak above the size
// at the start.
void ReportMemory(benchmark::State &state, long startKilobytes, uint64_t bytes)
{
    state.SetBytesProcessed(int64_t(bytes));
    state.counters["work_peak_MB"] = (StatusKilobytes("VmHWM:") - startKilobytes) / 1024.0;
    state.counters["device_MB"] = double(bytes) / 1048576.0;
}

void BM_BackupFullLooper(benchmark::State &state)
{
    SFullLooper &looper = Looper();
    const long start = ResetPeak();
    for (auto _ : state) {
        CSongBackup backup(looper.table, looper.port.Identity(), nullptr);
        benchmark::DoNotOptimize(backup.Run(looper.folder.path()));
    }
    ReportMemory(state, start, looper.SongBytes());
}

// Every slot is emptied first (not timed): a full looper has no room for a second copy.
void BM_RestoreFullLooper(benchmark::State &state)
{
    SFullLooper &looper = Looper();
    const uint64_t bytes = looper.SongBytes();
    for (uint32_t slot = 0; slot < SLOTS; ++slot)
        looper.table.EraseSong(slot);
    looper.table.LoadEachSong();
    const long start = ResetPeak();
    for (auto _ : state) {
        CSongRestore restore(looper.table, looper.port.Identity(), nullptr);
        if (!restore.Check(looper.folder.path(), QString(), {}, false) || restore.Run() != RESULT_OK)
            state.SkipWithError(qPrintable(restore.FailureText()));
    }
    ReportMemory(state, start, bytes);
}
} // namespace

BENCHMARK(BM_BackupFullLooper)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_RestoreFullLooper)->Iterations(1)->Unit(benchmark::kSecond);

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
