#include "CliCommands.h"
#include "CliJson.h"
#include "Messages.h"
#include "PortPairs.h"

#include <QJsonArray>

#include <cstdio>

namespace {
void PrintNames(const char *title, const std::vector<std::string> &names)
{
    std::printf("%s:\n", title);
    for (size_t i = 0; i < names.size(); ++i)
        std::printf("  %zu: %s\n", i, names[i].c_str());
}

void PrintPortsText(const SPortList &ports)
{
    PrintNames("Input ports", ports.inputs);
    PrintNames("Output ports", ports.outputs);
    std::printf("Name-matched pairs:\n");
    for (const SPortPair &pair : NameEqualPairs(ports))
        std::printf("  in %u / out %u: %s\n", pair.input, pair.output, pair.name.c_str());
}

QJsonArray NamesJson(const std::vector<std::string> &names)
{
    QJsonArray array;
    for (size_t i = 0; i < names.size(); ++i)
        array.append(QJsonObject{{"index", qint64(i)}, {"name", QString::fromStdString(names[i])}});
    return array;
}

void PrintPortsJson(const SPortList &ports)
{
    QJsonArray pairs;
    for (const SPortPair &pair : NameEqualPairs(ports))
        pairs.append(QJsonObject{{"name", QString::fromStdString(pair.name)},
                                 {"input", qint64(pair.input)},
                                 {"output", qint64(pair.output)}});
    PrintCliJson(
        {{"inputs", NamesJson(ports.inputs)}, {"outputs", NamesJson(ports.outputs)}, {"pairs", pairs}});
}

int RunPorts(const SCliOptions &options)
{
    SPortList ports;
    QString errorText;
    if (!ListMidiPorts(ports, errorText)) {
        ShowMessage(errorText);
        return EXIT_FAILED;
    }
    if (options.json)
        PrintPortsJson(ports);
    else
        PrintPortsText(ports);
    return EXIT_OK;
}
} // namespace

BRINDLE_CLI_COMMAND("ports", RunPorts);
