#pragma once

#include <QString>

// Installs the MIDI backend that BRINDLE_MIDI_API names: unset leaves RtMidi's default choice,
// "alsa", "jack", "core" or "winmm" one RtMidi API, "simulator" simulated loopers configured by
// BRINDLE_SIM_MODEL, BRINDLE_SIM_VERSION, BRINDLE_SIM_MODE, BRINDLE_SIM_DEVICES,
// BRINDLE_SIM_FLASH and BRINDLE_SIM_WIRE, or the demo looper when none of them is set. False with a text for
// a name or value it does not know, or, with *flashRefused set, for a simulated looper's flash file
// that is in use by another process, unreadable or not a saved flash.
bool InstallMidiBackendFromEnvironment(QString &errorText, bool *flashRefused = nullptr);
// The same for a name given directly (the CLI's --api).
bool ChooseMidiBackend(const QString &name, QString &errorText, bool *flashRefused = nullptr);
// The file of the demo looper that the last choice attached; empty when it attached none.
QString DemoLooperInUse();
// Once the program's device work is over: saves the flash of every simulated looper that keeps one
// in a file and lets the file go. False with a text naming a file that could not be saved.
bool CloseSimulatedLoopers(QString &errorText);
