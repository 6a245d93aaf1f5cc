#include "PortPairs.h"

#include "CMidiBackend.h"

#include <functional>

namespace {
std::vector<std::string> PortNames(unsigned int count, const std::function<std::string(unsigned int)> &name)
{
    std::vector<std::string> names;
    for (unsigned int i = 0; i < count; ++i)
        names.push_back(name(i));
    return names;
}
} // namespace

bool ListMidiPorts(SPortList &ports, QString &errorText)
{
    try {
        std::shared_ptr<CMidiInput> input(MidiBackend()->CreateInput("RtMidi Input Client", 100));
        std::shared_ptr<CMidiOutput> output(MidiBackend()->CreateOutput("RtMidi Output Client"));
        ports.inputs =
            PortNames(input->getPortCount(), [&](unsigned int i) { return input->getPortName(i); });
        ports.outputs =
            PortNames(output->getPortCount(), [&](unsigned int i) { return output->getPortName(i); });
        return true;
    } catch (const RtMidiError &error) {
        errorText = QString::fromStdString(error.getMessage());
        return false;
    }
}

std::vector<SPortPair> NameEqualPairs(const SPortList &ports)
{
    std::vector<SPortPair> pairs;
    for (unsigned int i = 0; i < ports.inputs.size(); ++i) {
        for (unsigned int j = 0; j < ports.outputs.size(); ++j) {
            if (ports.inputs[i] == ports.outputs[j])
                pairs.push_back({i, j, ports.inputs[i]});
        }
    }
    return pairs;
}
