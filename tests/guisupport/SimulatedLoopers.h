#pragma once

#include "CSimDevice.h"

#include <QMap>

#include <cstdint>
#include <memory>
#include <vector>

// For a test of the window against simulated loopers: Qt's own dialogs (which the answerer can
// drive), the simulator as the MIDI backend, a clock on which silence time-outs pass at once, and
// names and caches in a temporary folder of the test program's own.
void UseSimulatedLoopersInWindow();

// Attaches a simulated looper of the model holding the songs in their slots, stored through a link
// of its own before the window starts; null when a song could not be stored.
std::shared_ptr<CSimDevice> AttachLooperWithSongs(uint32_t productId,
                                                  const QMap<uint32_t, std::vector<uint8_t>> &songs);
