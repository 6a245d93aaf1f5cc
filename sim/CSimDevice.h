#pragma once

#include "CSimFlash.h"
#include "CSimFlashFile.h"
#include "SSimDeviceConfig.h"
#include "SimWire.h"

#include <mutex>
#include <vector>

// What the device does with one request besides its replies.
struct SSimOutcome {
    std::vector<SimBytes> replies;
    int delayMs = 0;
    bool removePorts = false;
};

// One simulated looper: answers the framed protocol (probe, erase, write, read, range checksum)
// or, in raw mode, the echo and register reads, over its own flash. Strict about what it
// receives, since that is what catches mistakes on the program's side.
class CSimDevice {
public:
    static constexpr uint32_t MAX_WRITE = 5120;
    static constexpr uint32_t MAX_READ = 1009;
    static constexpr uint32_t IDENTITY_ADDRESS = 0x2180;

    // With a flash file in the config, the looper holds it locked and starts from what it keeps,
    // unless the file is refused (FlashFileError).
    explicit CSimDevice(const SSimDeviceConfig &config);
    // A looper plugged back in with the flash of one that lost power.
    CSimDevice(const SSimDeviceConfig &config, const CSimFlash &flash);
    ~CSimDevice();
    CSimDevice(const CSimDevice &) = delete;
    CSimDevice &operator=(const CSimDevice &) = delete;

    const SSimDeviceConfig &Config() const { return m_config; }
    CSimFlash &Flash() { return m_flash; }

    // One whole wire message (F0 ... F7) in, the wire replies out.
    std::vector<SimBytes> HandleMessage(const SimBytes &wire);
    SSimOutcome Handle(const SimBytes &wire);

    std::vector<SSimRequest> Requests() const;
    void ClearRequests();
    void SetFault(const SSimFault &fault);
    void ClearFaults();
    // Empty unless the config's flash file was refused: in use by another process, unreadable, or
    // not a saved flash. The looper then starts blank and never writes that file.
    const std::string &FlashFileError() const { return m_strFlashFileError; }
    // The flash file was created or empty: a looper that never ran before.
    bool FlashFileNew() const { return m_flashFile.IsNew(); }
    bool SaveFlash();
    // Saves the flash a last time and lets the file go; the device then no longer saves. True
    // without a file.
    bool CloseFlashFile(std::string &errorText);
    void SetPowerCut(const SSimPowerCut &cut);
    bool PoweredOff() const;

private:
    struct SActiveFault {
        SSimFault fault;
        int seen;
    };

    SSimOutcome HandleRaw(const SimBytes &body);
    SSimOutcome HandleFrame(const SimBytes &body);
    SimBytes Answer(const SimBytes &body, uint8_t command, int sumOffset);
    SimBytes ReadReply(const SimBytes &body);
    SimBytes ChecksumReply(const SimBytes &body, int sumOffset);
    bool IdentityRefused(uint8_t area, uint32_t address, uint32_t count) const;
    SSimOutcome Finish(SimBytes reply, const SSimFault *fault, bool packed);
    const SSimFault *FaultFor(uint8_t command);
    void Log(uint8_t command, const SimBytes &body, bool raw);
    void WriteIdentity();
    bool PowerFailsNow();
    void CutPower(const SimBytes &wire);

    const SSimDeviceConfig m_config;
    CSimFlash m_flash;
    CSimFlashFile m_flashFile;
    std::string m_strFlashFileError;
    mutable std::mutex m_mutex;
    std::vector<SSimRequest> m_requests;
    std::vector<SActiveFault> m_faults;
    SSimFault m_firedFault;
    int m_nNextRequest = 1;
    int m_nPowerCutIn = 0;
    SSimPowerCut m_powerCut;
    bool m_bPoweredOff = false;
};
