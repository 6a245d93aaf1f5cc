#include "CMidiBackend.h"

#include "CRtMidiBackend.h"

#include <mutex>

namespace {
std::mutex g_backendMutex;
std::shared_ptr<CMidiBackend> g_backend;
} // namespace

std::shared_ptr<CMidiBackend> MidiBackend()
{
    std::lock_guard<std::mutex> lock(g_backendMutex);
    if (!g_backend)
        g_backend = std::make_shared<CRtMidiBackend>(RtMidi::UNSPECIFIED);
    return g_backend;
}

void SetMidiBackend(std::shared_ptr<CMidiBackend> backend)
{
    std::lock_guard<std::mutex> lock(g_backendMutex);
    g_backend = std::move(backend);
}
