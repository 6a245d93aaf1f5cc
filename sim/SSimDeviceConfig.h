#pragma once

#include <cstdint>
#include <string>

enum ESimMode {
    SIM_MODE_NORMAL, // framed protocol, 7-bit packed bodies
    SIM_MODE_RAW,    // only the raw 4-byte echo and register reads: a looper waiting for update mode
    SIM_MODE_SILENT, // answers nothing
};

struct SSimDeviceConfig {
    std::string portName = "Brindle Looper";
    uint32_t productId = 10003;
    uint32_t firmwareVersion = 0x00010203;
    uint32_t reservedId = 0;
    ESimMode mode = SIM_MODE_NORMAL;
    // False: reads of the identity block are refused with an error status.
    bool identityReadable = true;
    // When set, the flash is loaded from this file at start and saved back when the device goes.
    std::string flashFile;
    // When both are set, the device raises signalNumber in its process on receiving request
    // number signalAtRequest (counted from 1 since the device started): a user's Ctrl-C at a
    // known point of the traffic.
    int signalAtRequest = 0;
    int signalNumber = 0;
};

enum ESimFaultKind {
    SIM_FAULT_SILENCE,       // the request is carried out, the reply never sent
    SIM_FAULT_WRONG_COMMAND, // reply with another command byte
    SIM_FAULT_BAD_CHECKSUM,  // reply with a wrong frame checksum
    SIM_FAULT_SHORT_REPLY,   // reply cut to half its length
    SIM_FAULT_LONG_LENGTH,   // reply whose length field names 16 more bytes than it carries
    SIM_FAULT_ERROR_STATUS,  // request refused with status 0x01, nothing carried out
    SIM_FAULT_WRONG_SUM,     // range checksum off by one
    SIM_FAULT_DELAY,         // reply sent after delayMs
    SIM_FAULT_REMOVE_PORTS,  // the device's ports vanish before it answers
};

struct SSimFault {
    ESimFaultKind kind = SIM_FAULT_SILENCE;
    // Fires on this matching request counted from when the fault was set (1 = the next); 0 = on every one.
    int atRequest = 1;
    // Only requests with this command byte match (raw requests count as 0); -1 = any.
    int command = -1;
    // With atRequest 0: fire once only.
    bool once = false;
    int delayMs = 0;
};

// The looper loses power while carrying out one request, counted from when the cut was set
// (1 = the next): an erase or a page program is applied only in part (drawn from `seed`), nothing
// after it is, and the looper answers nothing more. Its flash keeps what was applied.
struct SSimPowerCut {
    int atRequest = 1;
    uint32_t seed = 0;
    // For a program: the byte it stops in, counted from 0, so that a test can tear a record's
    // first bytes; -1 draws it from the seed.
    int tornByte = -1;
};

// One request as the device decoded it; numbers count from 1.
struct SSimRequest {
    int number;
    uint8_t command;
    uint8_t area;
    uint32_t address;
    uint32_t count;
    bool raw;
};
