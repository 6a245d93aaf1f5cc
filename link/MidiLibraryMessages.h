#pragma once

// The MIDI libraries print their own warnings on stderr (no ALSA sequencer, no JACK server, a port
// that vanished). A user who is told "No looper found" needs none of them; --verbose shows them.
void QuietMidiLibraries(bool quiet);
