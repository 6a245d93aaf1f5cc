#include "CancelRequest.h"
#include "CCliLooper.h"
#include "CFirmwarePackage.h"
#include "CFirmwareUpdate.h"
#include "CliCancel.h"
#include "CliCommands.h"
#include "CliDevice.h"
#include "CTerminalProgress.h"
#include "Messages.h"

#include <QFileInfo>

#include <cstdio>

namespace {
// The erase phase reports 0..80 directly; the write's events move the rest of the way to 100.
class CUpdateBar : public CTerminalProgress, public CUpdateProgress {
public:
    explicit CUpdateBar(bool quiet) : CTerminalProgress(quiet) {}
    void SetBar(int value) override { Show(value); }

protected:
    void customEvent(QEvent *event) override
    {
        if (event->type() != CEventBase::EVENT_TYPE)
            return;
        const auto *progress = static_cast<CEventBase *>(event);
        if (progress->total > 0)
            Show(int(80 + progress->pos * 20 / progress->total));
    }
};

int RunUpdate(const SCliOptions &options)
{
    if (options.arguments.size() != 1) {
        std::fprintf(stderr, "usage: brindle-cli update PACKAGE.dat\n");
        return EXIT_USAGE;
    }
    const QString path = options.arguments[0];
    // Checked before the device is touched; an operation failure with the window's text, as the
    // other commands that read a file report it.
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable()) {
        ShowMessage(QStringLiteral("Open file failed"));
        return EXIT_FAILED;
    }
    CCliLooper looper;
    const int status = looper.Connect(options);
    if (status != EXIT_OK)
        return status;
    CFirmwarePackage package;
    CUpdateBar bar(options.quiet);
    if (CFirmwareUpdate(looper.Port(), package, bar, &bar).Run(path))
        return EXIT_OK;
    return CancelRequested() ? CancelledExit() : EXIT_FAILED;
}
} // namespace

BRINDLE_CLI_COMMAND("update", RunUpdate);
