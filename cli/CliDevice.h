#pragma once

#include "SCliOptions.h"

class CUSBPort;

// Connects port to the device the options name, or to the one the port scan finds as the
// window does (the last name-equal pair that answers). Returns EXIT_OK when connected in
// normal mode, EXIT_FAILED for a device in raw mode or a MIDI error, EXIT_NO_DEVICE otherwise.
int ConnectCliDevice(const SCliOptions &options, CUSBPort &port);
