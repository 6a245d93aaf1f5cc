#include "BenchLooper.h"
#include "CSongBackup.h"
#include "CSongRestore.h"
#include "ResultCodes.h"

#include <benchmark/benchmark.h>

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <vector>

#include <sys/stat.h>

namespace {
const uint32_t BYTES_PER_BLOCK = 64 * 4032;
const uint32_t DATA_BLOCKS = 1970;
const uint32_t SLOTS = 30;
const uint32_t LONGEST_SONG_BLOCKS = 160;
const uint32_t LONGEST_SONGS = 5;

// A PULSE RIG whose every data block holds song bytes: five songs as long as a slot holds, the
// other blocks spread over the other 25 slots.
struct SFullLooper : SBenchLooper {
    SFullLooper() : SBenchLooper(10002)
    {
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

// The folder that the backups on the full-speed wire go into, one snapshot after the other.
QTemporaryDir &WireFolder()
{
    static QTemporaryDir folder;
    return folder;
}

// A new song of the same length in the slot (not timed): the looper is full, so the old one goes first.
void ChangeSong(SFullLooper &looper, uint32_t slot, uint8_t fill)
{
    std::vector<uint8_t> song(looper.table.Store(slot)->GetSize(), fill);
    looper.table.EraseSong(slot);
    looper.table.LoadEachSong();
    looper.table.WriteSong(slot, song.data(), uint32_t(song.size()), nullptr);
    looper.table.LoadEachSong();
}

bool BackUp(SFullLooper &looper, const QString &folder, benchmark::State &state)
{
    CSongBackup backup(looper.table, looper.port.Identity(), nullptr);
    if (backup.Run(folder) == RESULT_OK)
        return true;
    state.SkipWithError(qPrintable(backup.FailureText()));
    return false;
}

// As brindle-cli backup works on BRINDLE_SIM_WIRE=usb-fs: every slot loaded, then the backup; the
// time of each and the device requests of each. `earlier` first makes a backup off the wire, not
// timed, unless the folder holds one.
void BackUpOnUsbWire(benchmark::State &state, bool earlier)
{
    SFullLooper &looper = Looper();
    if (earlier && !QFile::exists(WireFolder().filePath("manifest.json")) &&
        !BackUp(looper, WireFolder().path(), state))
        return;
    const std::shared_ptr<CSimDevice> &device = looper.device;
    CSimBus::Instance().SetUsbWirePace(true);
    double loadSeconds = 0, backupSeconds = 0;
    size_t loadRequests = 0, backupRequests = 0;
    uint32_t read = 0, kept = 0;
    for (auto _ : state) {
        device->ClearRequests();
        auto start = std::chrono::steady_clock::now();
        looper.table.LoadEachSong();
        loadSeconds = SecondsSince(start);
        loadRequests = device->Requests().size();
        device->ClearRequests();
        start = std::chrono::steady_clock::now();
        CSongBackup backup(looper.table, looper.port.Identity(), nullptr);
        if (backup.Run(WireFolder().path()) != RESULT_OK)
            state.SkipWithError(qPrintable(backup.FailureText()));
        backupSeconds = SecondsSince(start);
        backupRequests = device->Requests().size();
        read = backup.ReadCount();
        kept = backup.KeptCount();
    }
    CSimBus::Instance().SetUsbWirePace(false);
    state.counters["load_s"] = loadSeconds;
    state.counters["backup_s"] = backupSeconds;
    state.counters["load_requests"] = double(loadRequests);
    state.counters["backup_requests"] = double(backupRequests);
    state.counters["songs_read"] = read;
    state.counters["songs_kept"] = kept;
}

void BM_FirstBackupOnUsbWire(benchmark::State &state)
{
    BackUpOnUsbWire(state, false);
}

// Nothing changed: each song costs the reads of its first and last pages.
void BM_SecondBackupOnUsbWire(benchmark::State &state)
{
    BackUpOnUsbWire(state, true);
}

// One song of 45 blocks (11.6 MB) changed; song_read_s is what reading that song alone takes.
void BM_OneChangedSongOnUsbWire(benchmark::State &state)
{
    SFullLooper &looper = Looper();
    const uint32_t slot = 10;
    if (!QFile::exists(WireFolder().filePath("manifest.json")) && !BackUp(looper, WireFolder().path(), state))
        return;
    ChangeSong(looper, slot, 0xA5);
    BackUpOnUsbWire(state, true);
    const uint32_t size = looper.table.Store(slot)->GetSize();
    std::vector<uint8_t> song(size);
    CSimBus::Instance().SetUsbWirePace(true);
    const auto start = std::chrono::steady_clock::now();
    looper.table.ReadSong(slot, song.data(), size, nullptr);
    state.counters["song_read_s"] = SecondsSince(start);
    CSimBus::Instance().SetUsbWirePace(false);
}

double DiskMegabytes(const QString &folder)
{
    int64_t bytes = 0;
    QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        struct stat info;
        if (::stat(QFile::encodeName(files.next()).constData(), &info) == 0)
            bytes += int64_t(info.st_blocks) * 512;
    }
    return double(bytes) / 1048576.0;
}

// Ten snapshots of the full looper in one folder, another song changed before each after the first
// (off the wire): what the folder takes on the disk, beside one backup alone.
void BM_TenSnapshotsDiskUse(benchmark::State &state)
{
    SFullLooper &looper = Looper();
    for (auto _ : state) {
        QTemporaryDir folder;
        for (uint32_t k = 0; k < 10; ++k) {
            if (k > 0)
                ChangeSong(looper, LONGEST_SONGS + k, uint8_t(0x30 + k));
            if (!BackUp(looper, folder.path(), state))
                return;
            if (k == 0)
                state.counters["one_backup_MB"] = DiskMegabytes(folder.path());
        }
        state.counters["ten_snapshots_MB"] = DiskMegabytes(folder.path());
    }
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
BENCHMARK(BM_FirstBackupOnUsbWire)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_SecondBackupOnUsbWire)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_OneChangedSongOnUsbWire)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_TenSnapshotsDiskUse)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_RestoreFullLooper)->Iterations(1)->Unit(benchmark::kSecond);

BRINDLE_BENCH_MAIN()
