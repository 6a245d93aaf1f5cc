#include "CStderrPresenter.h"
#include "CliRun.h"
#include "MidiBackendChoice.h"
#include "SCliOptions.h"

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
    int status = RunCli(application.arguments().mid(1));
    // The simulated looper's flash is only kept once its file is written.
    QString errorText;
    if (!CloseSimulatedLoopers(errorText)) {
        std::fprintf(stderr, "brindle-cli: %s\n", errorText.toLocal8Bit().constData());
        status = status == EXIT_OK ? EXIT_FAILED : status;
    }
    return status;
}
