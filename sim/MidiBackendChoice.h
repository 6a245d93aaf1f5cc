#pragma once

#include <QString>

// Installs the MIDI backend that BRINDLE_MIDI_API names: unset leaves RtMidi's default choice,
// "alsa", "jack", "core" or "winmm" one RtMidi API, "simulator" simulated loopers configured by
// BRINDLE_SIM_MODEL, BRINDLE_SIM_VERSION, BRINDLE_SIM_MODE, BRINDLE_SIM_DEVICES,
// BRINDLE_SIM_FLASH and BRINDLE_SIM_WIRE, or the demo looper when none of them is set. False with a text for
// a name or value it does not know.
bool InstallMidiBackendFromEnvironment(QString &errorText);
// The same for a name given directly (the CLI's --api).
bool ChooseMidiBackend(const QString &name, QString &errorText);
