#pragma once

#include <QString>

// Whether no simulator variable is set at all: the simulator then shows the demo looper.
bool DemoLooperWanted();
// Where the demo looper keeps its flash: $XDG_STATE_HOME/brindle/demo.flash, by default under
// ~/.local/state.
QString DemoLooperFile();
// Attaches the PULSE RIG kept in DemoLooperFile(). On first use (no file, or an empty one) its slots
// 1, 2 and 4 get the demo songs, stored through the same song table the program uses; removing the
// file starts over. False with a text when the file is refused or the songs could not be stored.
bool AttachDemoLooper(QString &errorText);
