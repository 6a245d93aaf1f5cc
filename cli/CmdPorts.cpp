#include "CliCommands.h"
#include "Messages.h"
#include "PortPairs.h"

#include <cstdio>

namespace {
void PrintNames(const char *title, const std::vector<std::string> &names)
{
    std::printf("%s:\n", title);
    for (size_t i = 0; i < names.size(); ++i)
        std::printf("  %zu: %s\n", i, names[i].c_str());
}

int RunPorts(const SCliOptions &)
{
    SPortList ports;
    QString errorText;
    if (!ListMidiPorts(ports, errorText)) {
        ShowMessage(errorText);
        return EXIT_FAILED;
    }
    PrintNames("Input ports", ports.inputs);
    PrintNames("Output ports", ports.outputs);
    std::printf("Name-matched pairs:\n");
    for (const SPortPair &pair : NameEqualPairs(ports))
        std::printf("  in %u / out %u: %s\n", pair.input, pair.output, pair.name.c_str());
    return EXIT_OK;
}
} // namespace

BRINDLE_CLI_COMMAND("ports", RunPorts);
