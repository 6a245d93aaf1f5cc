#include "BrindleQT.h"
#include "Messages.h"
#include "MidiBackendChoice.h"
#include "MidiLibraryMessages.h"
#include "QuitOnSignals.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    // What the MIDI and audio libraries print for themselves means nothing to a user of the window.
    QuietMidiLibraries(qEnvironmentVariableIsEmpty("BRINDLE_DEBUG"));
    QString strError;
    if (!InstallMidiBackendFromEnvironment(strError)) {
        ShowMessage(strError);
        return 2;
    }
    BrindleQT *pWindow = new BrindleQT;
    QuitOnSignals(*pWindow);
    pWindow->show();
    const int nResult = application.exec();
    delete pWindow;
    // A simulated looper's flash is only kept once its file is written.
    if (!CloseSimulatedLoopers(strError)) {
        ShowMessage(strError);
        return 1;
    }
    return nResult;
}
