#include "CTerminalProgress.h"

#include "CEventBase.h"

#include <cstdio>
#include <unistd.h>

namespace {
// One terminal, one progress line: whoever prints next must first end it.
bool g_bLineOpen = false;
} // namespace

CTerminalProgress::CTerminalProgress(bool quiet) : m_bEnabled(!quiet && isatty(fileno(stderr))) {}

CTerminalProgress::~CTerminalProgress()
{
    EndLine();
}

void CTerminalProgress::EndLine()
{
    if (!g_bLineOpen)
        return;
    std::fprintf(stderr, "\n");
    g_bLineOpen = false;
}

void CTerminalProgress::Show(int percent)
{
    ShowText(QString::asprintf("%3d%%", percent));
}

void CTerminalProgress::ShowText(const QString &text)
{
    if (!m_bEnabled)
        return;
    std::fprintf(stderr, "\r%s", text.toLocal8Bit().constData());
    std::fflush(stderr);
    g_bLineOpen = true;
}

void CTerminalProgress::customEvent(QEvent *event)
{
    if (event->type() != CEventBase::EVENT_TYPE)
        return;
    const auto *progress = static_cast<CEventBase *>(event);
    if (progress->total > 0)
        Show(int(progress->pos * 100 / progress->total));
}
