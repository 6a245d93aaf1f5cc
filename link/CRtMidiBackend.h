#pragma once

#include "CMidiBackend.h"

#include <atomic>

// The real MIDI library. With RtMidi::UNSPECIFIED the library's own choice is tried first;
// where that cannot be constructed (a Linux machine without an ALSA sequencer makes RtMidi throw
// rather than try JACK), every other compiled API is tried in order. The first API that works is
// kept, so inputs, outputs and the port watcher all talk to the same MIDI service.
class CRtMidiBackend : public CMidiBackend {
public:
    explicit CRtMidiBackend(RtMidi::Api api);

    std::string Name() const override;
    std::unique_ptr<CMidiInput> CreateInput(const std::string &clientName,
                                            unsigned int queueSizeLimit) override;
    std::unique_ptr<CMidiOutput> CreateOutput(const std::string &clientName) override;

    // The API in use once an object was constructed; RtMidi::UNSPECIFIED before that.
    RtMidi::Api CurrentApi() const;

private:
    template <class TMidi, class... TArgs> std::unique_ptr<TMidi> Construct(TArgs &&...args);

    const RtMidi::Api m_requestedApi;
    std::atomic<RtMidi::Api> m_resolvedApi;
};
