#pragma once

// For a test of the window against simulated loopers: Qt's own dialogs (which the answerer can
// drive), the simulator as the MIDI backend, and a clock on which silence time-outs pass at once.
void UseSimulatedLoopersInWindow();
