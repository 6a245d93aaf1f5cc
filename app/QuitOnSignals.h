#pragma once

class BrindleQT;

// SIGINT, SIGTERM and SIGHUP end the window as closing it does, once the running work has stopped,
// instead of ending the process wherever it is (a simulated looper's songs are saved at the end).
void QuitOnSignals(BrindleQT &window);
