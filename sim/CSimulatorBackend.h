#pragma once

#include "CMidiBackend.h"

// MIDI ports of the simulated loopers on the process's CSimBus.
class CSimulatorBackend : public CMidiBackend {
public:
    std::string Name() const override { return "simulator"; }
    std::unique_ptr<CMidiInput> CreateInput(const std::string &clientName,
                                            unsigned int queueSizeLimit) override;
    std::unique_ptr<CMidiOutput> CreateOutput(const std::string &clientName) override;
};
