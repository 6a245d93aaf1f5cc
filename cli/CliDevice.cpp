#include "CliDevice.h"

#include "CUSBPort.h"
#include "CancelRequest.h"
#include "Messages.h"
#include "PortPairs.h"

#include <algorithm>
#include <cstdio>

namespace {
const char *const NO_LOOPER_TEXT =
    "No looper found: plug it in by USB (it appears as a MIDI input and output with the same name), or try "
    "the demo with BRINDLE_MIDI_API=simulator.";
const char *const UPDATE_MODE_TEXT =
    "You should enter update mode first! For how to enter update mode, please refer to the manual";

int IndexOf(const std::vector<std::string> &names, const QString &name)
{
    const auto found = std::find(names.begin(), names.end(), name.toStdString());
    return found == names.end() ? -1 : int(found - names.begin());
}

bool NamedPair(const SCliOptions &options, const SPortList &ports, SPortPair &pair)
{
    const QString inName = options.port.isEmpty() ? options.inPort : options.port;
    const QString outName = options.port.isEmpty() ? options.outPort : options.port;
    const int input = IndexOf(ports.inputs, inName);
    const int output = IndexOf(ports.outputs, outName);
    if (input < 0 || output < 0) {
        ShowMessage(QStringLiteral("No MIDI %1 port named \"%2\"")
                        .arg(input < 0 ? "input" : "output", input < 0 ? inName : outName));
        return false;
    }
    pair = {unsigned(input), unsigned(output), inName.toStdString()};
    return true;
}

// Tries one pair; true when a device answered in normal mode.
bool TryPair(const SPortPair &pair, CUSBPort &port, bool &sawRawDevice)
{
    if (!port.Connect(pair.Packed())) {
        if (!port.GetLastErrorText().isEmpty())
            ShowMessage(port.GetLastErrorText());
        return false;
    }
    if (port.State() == LINK_RAW) {
        port.Disconnect();
        sawRawDevice = true;
        ShowMessage(QString::fromUtf8(UPDATE_MODE_TEXT));
        return false;
    }
    return true;
}
} // namespace

int ConnectCliDevice(const SCliOptions &options, CUSBPort &port)
{
    SPortList ports;
    QString errorText;
    if (!ListMidiPorts(ports, errorText)) {
        ShowMessage(errorText);
        return EXIT_FAILED;
    }
    std::vector<SPortPair> candidates;
    if (!options.port.isEmpty() || !options.inPort.isEmpty()) {
        SPortPair pair;
        if (!NamedPair(options, ports, pair))
            return EXIT_NO_DEVICE;
        candidates.push_back(pair);
    } else {
        candidates = NameEqualPairs(ports);
    }
    bool sawRawDevice = false;
    const SPortPair *answered = nullptr;
    for (const SPortPair &pair : candidates) {
        if (TryPair(pair, port, sawRawDevice))
            answered = &pair;
    }
    // A later pair that failed closed the link; the last one that answered is the device.
    if (answered && port.State() != LINK_NORMAL && !TryPair(*answered, port, sawRawDevice))
        answered = nullptr;
    if (answered)
        return EXIT_OK;
    if (sawRawDevice || CancelRequested())
        return EXIT_FAILED;
    std::fprintf(stderr, "%s\n", NO_LOOPER_TEXT);
    return EXIT_NO_DEVICE;
}
