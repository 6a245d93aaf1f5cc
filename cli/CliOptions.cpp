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
        else if (argument == "--yes")
            options.yes = true;
        else if (argument == "--verify")
            options.verify = true;
        else if (argument == "--slots")
            ok = TakeValue(arguments, i, options.slotList, errorText);
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
    if (options.command.isEmpty()) {
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

QString CliUsage()
{
    return QStringLiteral(
        "usage: brindle-cli [--api NAME] [--port NAME | --in NAME --out NAME] [--quiet] COMMAND [ARGS]\n"
        "\n"
        "  ports                           list MIDI input ports, output ports and the name-matched pairs\n"
        "  info                            connect; print model name, product id, firmware version, link "
        "mode\n"
        "  list                            one line per song slot\n"
        "  upload SLOT FILE.wav            save the song of SLOT as a 48000 Hz 24-bit mono WAV file\n"
        "  download FILE.wav SLOT [--yes]  store a WAV file in SLOT; a slot holding a song needs --yes\n"
        "  delete SLOT --yes               delete the song of SLOT\n"
        "  update PACKAGE.dat              replace the device firmware\n"
        "  inspect PACKAGE.dat             show what a firmware package holds (no device needed)\n"
        "  download ... --verify           after the write, read the slot back and compare it\n"
        "  backup DIR                      copy every song, exact device bytes, into DIR with manifest.json\n"
        "  restore DIR [--slots LIST] [--yes]\n"
        "                                  put the songs of a backup back, verified; LIST is like 1,3-5\n"
        "\n"
        "SLOT counts from 1. Exit status: 0 done, 1 failed, 2 usage error, 3 no device answered.\n");
}
