#include "CStderrPresenter.h"
#include "CliCancel.h"
#include "CliRun.h"

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
    return RunCli(application.arguments().mid(1));
}
