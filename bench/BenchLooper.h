#pragma once

#include "CLooperSongTable.h"
#include "CSimBus.h"
#include "CSimulatorBackend.h"
#include "CUSBPort.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <sys/resource.h>

#include <chrono>

// One simulated looper of the given model, connected, its song table loaded.
struct SBenchLooper {
    explicit SBenchLooper(uint32_t productId) : device(MakeDevice(productId))
    {
        port.Connect(0);
        table.LoadSongs();
    }
    static std::shared_ptr<CSimDevice> MakeDevice(uint32_t productId)
    {
        SetMidiBackend(std::make_shared<CSimulatorBackend>());
        SSimDeviceConfig config;
        config.productId = productId;
        auto device = std::make_shared<CSimDevice>(config);
        CSimBus::Instance().Clear();
        CSimBus::Instance().Attach(device);
        return device;
    }
    std::shared_ptr<CSimDevice> device;
    CUSBPort port;
    CLooperSongTable table{port};
};

inline double PeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// CPU time of the whole process (every thread), user and system.
inline double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

inline double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A benchmark program's main(): the looper code runs under a QCoreApplication, as in brindle-cli.
#define BRINDLE_BENCH_MAIN()                                                                                 \
    int main(int argc, char **argv)                                                                          \
    {                                                                                                        \
        QCoreApplication application(argc, argv);                                                            \
        benchmark::Initialize(&argc, argv);                                                                  \
        benchmark::RunSpecifiedBenchmarks();                                                                 \
        return 0;                                                                                            \
    }
