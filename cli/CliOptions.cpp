#include "SCliOptions.h"

namespace {
bool TakeValue(const QStringList &arguments, int &i, QString &value, QString &errorText)
{
    if (i + 1 >= arguments.size()) {
        errorText = QStringLiteral("%1 needs a value").arg(arguments[i]);
        return false;
    }
    value = arguments[++i];
    return true;
}
} // namespace

bool ParseCliOptions(const QStringList &arguments, SCliOptions &options, QString &errorText)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        bool ok = true;
        if (argument == "--api")
            ok = TakeValue(arguments, i, options.api, errorText);
        else if (argument == "--port")
            ok = TakeValue(arguments, i, options.port, errorText);
        else if (argument == "--in")
            ok = TakeValue(arguments, i, options.inPort, errorText);
        else if (argument == "--out")
            ok = TakeValue(arguments, i, options.outPort, errorText);
        else if (argument == "--quiet")
            options.quiet = true;
        else if (argument == "--verbose")
            options.verbose = true;
        else if (argument == "--yes")
            options.yes = true;
        else if (argument == "--json")
            options.json = true;
        else if (argument == "--help" || argument == "-h")
            options.help = true;
        else if (argument == "--version")
            options.version = true;
        else if (argument == "--verify")
            options.verify = true;
        else if (argument == "--channel")
            ok = TakeValue(arguments, i, options.channel, errorText);
        else if (argument == "--rate")
            ok = TakeValue(arguments, i, options.rate, errorText);
        else if (argument == "--bits")
            ok = TakeValue(arguments, i, options.bits, errorText);
        else if (argument == "--slots") {
            ok = TakeValue(arguments, i, options.slotList, errorText);
            options.slotListGiven = true;
        } else if (argument == "--missing")
            options.missing = true;
        else if (argument == "--snapshot")
            ok = TakeValue(arguments, i, options.snapshot, errorText);
        else if (argument == "--full")
            options.full = true;
        else if (argument == "--force")
            options.force = true;
        else if (argument == "--from")
            ok = TakeValue(arguments, i, options.from, errorText);
        else if (argument == "--audio-api")
            ok = TakeValue(arguments, i, options.audioApi, errorText);
        else if (argument == "--audio-device")
            ok = TakeValue(arguments, i, options.audioDevice, errorText);
        else if (argument == "--list-devices")
            options.listDevices = true;
        else if (argument.startsWith("--")) {
            errorText = QStringLiteral("unknown option %1").arg(argument);
            ok = false;
        } else if (options.command.isEmpty())
            options.command = argument;
        else
            options.arguments.append(argument);
        if (!ok)
            return false;
    }
    if (options.command.isEmpty() && !options.help && !options.version) {
        errorText = QStringLiteral("no command given");
        return false;
    }
    if (!options.port.isEmpty() && (!options.inPort.isEmpty() || !options.outPort.isEmpty())) {
        errorText = QStringLiteral("--port and --in/--out exclude each other");
        return false;
    }
    if (options.inPort.isEmpty() != options.outPort.isEmpty()) {
        errorText = QStringLiteral("--in and --out go together");
        return false;
    }
    return true;
}
