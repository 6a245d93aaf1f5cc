#include "WindowTestEnd.h"

#include "BrindleQT.h"
#include "CDialogAnswerer.h"
#include "CSimBus.h"
#include "Settings.h"

#include <QFile>
#include <QtTest>

void EndWindowTest(std::unique_ptr<BrindleQT> &pWindow, std::unique_ptr<CDialogAnswerer> &pAnswerer)
{
    pWindow.reset();
    const QStringList failures = pAnswerer ? pAnswerer->Failures() : QStringList();
    pAnswerer.reset();
    CSimBus::Instance().Clear();
    QFile::remove(SettingsFilePath());
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("\n")));
}
