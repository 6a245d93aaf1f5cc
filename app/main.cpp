#include "BrindleQT.h"
#include "Messages.h"
#include "MidiBackendChoice.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QString strError;
    if (!InstallMidiBackendFromEnvironment(strError)) {
        ShowMessage(strError);
        return 2;
    }
    BrindleQT *pWindow = new BrindleQT;
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
