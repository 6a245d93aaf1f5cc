#include "SCliOptions.h"

namespace {
struct SCliUsage {
    const char *name;
    const char *synopsis;
    const char *summary;
    bool json = false;
};

// One entry per command, in the order the usage text lists them.
const SCliUsage USAGES[] = {
    {"ports", "ports [--json]", "list MIDI input ports, output ports and the name-matched pairs", true},
    {"info", "info [--json]", "connect; print model name, product id, firmware version, link mode", true},
    {"list", "list [--json]", "one line per song slot, with each song's length and name", true},
    {"name", "name SLOT [TEXT]", "name the song of SLOT on this computer; no TEXT prints it, \"\" clears it"},
    {"upload", "upload SLOT FILE.wav [--force]",
     "save the song of SLOT as a 48000 Hz 24-bit mono WAV file; --force replaces an existing file"},
    {"download", "download FILE.wav SLOT [--yes] [--verify]",
     "store a WAV file in SLOT; a slot holding a song needs --yes; --verify reads it back"},
    {"import", "import FILE SLOT [--yes] [--channel left|right|mix] [--verify]",
     "store any audio file in SLOT (high-quality rate conversion)"},
    {"export", "export SLOT FILE [--rate HZ] [--bits 16|24|32f] [--force]",
     "save the song of SLOT as .wav, .flac, .aiff or .ogg (default 48000 Hz, 24 bits)"},
    {"play", "play SLOT [--from SECONDS] [--audio-api pulse|alsa|jack] [--audio-device NAME]",
     "play the song of SLOT while it is read; play --list-devices lists the audio outputs"},
    {"backup", "backup DIR [--full]",
     "a new snapshot of every song in DIR, exact device bytes; only changed songs are read (--full: all)"},
    {"restore", "restore DIR [--snapshot ID] [--slots LIST] [--missing] [--yes]",
     "put the songs of the newest snapshot (or ID) back, verified; LIST like 1,3-5; --missing: empty slots"},
    {"backups", "backups DIR", "list the snapshots of a backup folder: ID, model, songs, what changed"},
    {"delete", "delete SLOT --yes", "delete the song of SLOT"},
    {"repair", "repair SLOT", "bring back the previous song of a slot whose newest record is torn"},
    {"move", "move FROM TO [--yes]",
     "move the song of FROM into slot TO without copying its audio; --yes replaces the song of TO"},
    {"swap", "swap SLOT SLOT", "swap the songs of two slots without copying their audio"},
    {"update", "update PACKAGE.dat", "replace the device firmware"},
    {"inspect", "inspect PACKAGE.dat [--json]", "show what a firmware package holds (no device needed)",
     true},
    {"help", "help [COMMAND]", "this text, or the usage of COMMAND"},
};

const char *const OPTIONS = "[--api NAME] [--port NAME | --in NAME --out NAME] [--quiet] [--verbose]";
const int SYNOPSIS_WIDTH = 32;

const SCliUsage *FindUsage(const QString &name)
{
    for (const SCliUsage &usage : USAGES) {
        if (name == QLatin1String(usage.name))
            return &usage;
    }
    return nullptr;
}
// A synopsis wider than its column puts the summary on a line of its own below it.
QString UsageLine(const SCliUsage &usage)
{
    const QString synopsis = QString::fromLatin1(usage.synopsis);
    const QString gap = synopsis.size() < SYNOPSIS_WIDTH
                            ? QString(SYNOPSIS_WIDTH - synopsis.size() + 1, ' ')
                            : QStringLiteral("\n") + QString(SYNOPSIS_WIDTH + 3, ' ');
    return QStringLiteral("  ") + synopsis + gap + QString::fromLatin1(usage.summary) + QStringLiteral("\n");
}
} // namespace

QString CliUsage()
{
    QString text = QStringLiteral("usage: brindle-cli %1 [--json] COMMAND [ARGS]\n"
                                  "       brindle-cli --help | --version\n\n")
                       .arg(OPTIONS);
    for (const SCliUsage &usage : USAGES)
        text += UsageLine(usage);
    text += QStringLiteral(
        "\n"
        "--json prints one JSON document on stdout instead of the text (ports, info, list, inspect).\n"
        "--quiet hides the progress line; --verbose shows the MIDI libraries' own messages.\n"
        "COMMAND --help shows its usage.\n"
        "SLOT counts from 1. Exit status: 0 done, 1 failed, 2 usage error, 3 no device answered.\n");
    return text;
}

QString CliCommandUsage(const QString &name)
{
    const SCliUsage *usage = FindUsage(name);
    if (!usage)
        return QString();
    return QStringLiteral("usage: brindle-cli %1 %2\n\n%3\n").arg(OPTIONS, usage->synopsis, usage->summary);
}

bool CliCommandTakesJson(const QString &name)
{
    const SCliUsage *usage = FindUsage(name);
    return usage && usage->json;
}
