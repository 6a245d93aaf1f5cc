#include "CStderrPresenter.h"
#include "CliCancel.h"
#include "CliRun.h"
#include "MidiBackendChoice.h"
#include "SCliOptions.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {
// Debug lines are for developers; the terminal shows them only when BRINDLE_DEBUG is set.
void QuietDebugLines(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtDebugMsg && qEnvironmentVariableIsEmpty("BRINDLE_DEBUG"))
        return;
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

// Started with stdin, stdout or stderr closed, the first file the program opens would take its
// number, and messages would be written into it: each closed one is opened on /dev/null first.
void KeepStandardStreamsOpen()
{
    for (int stream = 0; stream <= 2; ++stream) {
        if (fcntl(stream, F_GETFD) == -1 && errno == EBADF && open("/dev/null", O_RDWR) != stream)
            return;
    }
}
} // namespace

int main(int argc, char *argv[])
{
    KeepStandardStreamsOpen();
    IgnoreBrokenPipes();
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
