#include "HostileCase.h"

namespace {
void NoLooper(CHostileScene &scene)
{
    scene.Set("BRINDLE_SIM_DEVICES", "0");
}

void SilentLooper(CHostileScene &scene)
{
    scene.Set("BRINDLE_SIM_MODE", "silent");
}

std::vector<SHostileCase> CliRows()
{
    const QString noLooper = "^No looper found: .*BRINDLE_MIDI_API=simulator.*\n$";
    return {
        {"no looper: list", &NoLooper, {"list"}, 3, noLooper},
        {"silent looper: list", &SilentLooper, {"list"}, 3, noLooper},
        {"no looper: download", &NoLooper, {"download", "{dir}/none.wav", "1", "--yes"}, 3, noLooper},
    };
}
} // namespace

BRINDLE_HOSTILE_ROWS(CliRows);
