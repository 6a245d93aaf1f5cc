#pragma once

#include <memory>

class BrindleQT;
class CDialogAnswerer;

// Ends one window test: closes the window, fails the test if a dialog went unanswered or did not
// fit its answer, unplugs every simulated looper and removes the settings file the test wrote.
void EndWindowTest(std::unique_ptr<BrindleQT> &pWindow, std::unique_ptr<CDialogAnswerer> &pAnswerer);
