#include "BrindleQT.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    BrindleQT *pWindow = new BrindleQT;
    pWindow->show();
    const int nResult = application.exec();
    delete pWindow;
    return nResult;
}
