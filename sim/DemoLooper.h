#pragma once

#include <QString>

// Whether no simulator variable is set at all: the simulator then shows the demo looper.
bool DemoLooperWanted();
// Attaches a PULSE RIG whose slots 1, 2 and 4 hold the demo songs, stored through the same song
// table the program uses. False with a text when they could not be stored.
bool AttachDemoLooper(QString &errorText);
