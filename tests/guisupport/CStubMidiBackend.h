#pragma once

#include "CMidiBackend.h"

#include <atomic>

// A MIDI service without ports, for window tests that need no device. It can also fail every
// port count the way a broken MIDI library does.
class CStubMidiBackend : public CMidiBackend {
public:
    explicit CStubMidiBackend(bool bCountThrows = false) : m_bCountThrows(bCountThrows) {}

    std::string Name() const override { return "stub"; }
    std::unique_ptr<CMidiInput> CreateInput(const std::string &clientName,
                                            unsigned int queueSizeLimit) override;
    std::unique_ptr<CMidiOutput> CreateOutput(const std::string &clientName) override;

    // Port counts asked so far, from any thread.
    int CountQueries() const { return m_nCountQueries.load(); }
    unsigned int CountPorts();

    static const char *const COUNT_ERROR;

private:
    const bool m_bCountThrows;
    std::atomic<int> m_nCountQueries{0};
};
