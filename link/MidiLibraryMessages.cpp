#include "MidiLibraryMessages.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>

#include <iostream>

namespace {
void SilentAlsa(const char *, int, const char *, int, const char *, ...) {}

void SilentJack(const char *) {}

void DefaultJack(const char *text)
{
    std::fprintf(stderr, "%s\n", text);
}
} // namespace

void QuietMidiLibraries(bool quiet)
{
    snd_lib_error_set_handler(quiet ? &SilentAlsa : nullptr);
    jack_set_error_function(quiet ? &SilentJack : &DefaultJack);
    jack_set_info_function(quiet ? &SilentJack : &DefaultJack);
    // RtMidi writes its warnings, and the errors it then throws, to std::cerr; the program's own
    // messages go through stdio.
    static std::streambuf *const s_pConsole = std::cerr.rdbuf();
    std::cerr.rdbuf(quiet ? nullptr : s_pConsole);
}
