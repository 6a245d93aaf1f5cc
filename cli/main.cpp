#include "CStderrPresenter.h"
#include "CliRun.h"

#include <QCoreApplication>

#include <cstdio>

namespace {
// Debug lines are for developers; the terminal shows them only when BRINDLE_DEBUG is set.
void QuietDebugLines(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtDebugMsg && qEnvironmentVariableIsEmpty("BRINDLE_DEBUG"))
        return;
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    qInstallMessageHandler(&QuietDebugLines);
    CStderrPresenter presenter;
    SetMessagePresenter(&presenter);
    return RunCli(application.arguments().mid(1));
}
