#include "WatchMidiOutputs.h"

#include "CMidiBackend.h"

#include <QDebug>

#include <chrono>
#include <exception>
#include <thread>

namespace {

const int POLL_SLICES = 10;
const std::chrono::milliseconds POLL_SLICE(20);

// Sleeps one poll interval in slices so that a stop request ends the wait early.
bool SleepUnlessStopped(const std::atomic<bool> &bStopRequested)
{
    for (int i = 0; i < POLL_SLICES; ++i) {
        if (bStopRequested.load())
            return false;
        std::this_thread::sleep_for(POLL_SLICE);
    }
    return !bStopRequested.load();
}

} // namespace

void WatchMidiOutputs(std::atomic<bool> *pDevChanged, const std::atomic<bool> *pStopRequested)
{
    // Held for the thread's life: the output object must not outlive its backend.
    const std::shared_ptr<CMidiBackend> pBackend = MidiBackend();
    std::unique_ptr<CMidiOutput> pOutput;
    unsigned int nLastCount = 0;
    bool bFailing = false;
    while (SleepUnlessStopped(*pStopRequested)) {
        try {
            if (!pOutput)
                pOutput = pBackend->CreateOutput("RtMidi Output Client");
            const unsigned int nCount = pOutput->getPortCount();
            bFailing = false;
            if (nCount == nLastCount)
                continue;
            qDebug("Thread detect MIDI out dev changed ....");
            nLastCount = nCount;
            pDevChanged->store(true);
        } catch (const std::exception &error) {
            // An exception leaving this thread would end the process; report once per failing stretch.
            if (!bFailing)
                qDebug("WatchMidiOutputs: %s", error.what());
            bFailing = true;
        }
    }
}
