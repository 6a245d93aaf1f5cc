#pragma once

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

struct SPortPair {
    unsigned int input;
    unsigned int output;
    std::string name;
    // The argument CUSBPort::Connect takes: output index high, input index low.
    uint32_t Packed() const { return (output << 16) | input; }
};

struct SPortList {
    std::vector<std::string> inputs;
    std::vector<std::string> outputs;
};

// Lists the ports of the current MIDI backend; a library error gives false and its text.
bool ListMidiPorts(SPortList &ports, QString &errorText);
// Every input/output pair whose names are byte-for-byte equal, inputs in order, then outputs.
std::vector<SPortPair> NameEqualPairs(const SPortList &ports);
