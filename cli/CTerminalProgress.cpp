#include "CTerminalProgress.h"

#include "CEventBase.h"

#include <cstdio>
#include <unistd.h>

CTerminalProgress::CTerminalProgress(bool quiet)
    : m_bEnabled(!quiet && isatty(fileno(stderr))), m_bShown(false)
{
}

CTerminalProgress::~CTerminalProgress()
{
    if (m_bShown)
        std::fprintf(stderr, "\n");
}

void CTerminalProgress::Show(int percent)
{
    if (!m_bEnabled)
        return;
    std::fprintf(stderr, "\r%3d%%", percent);
    std::fflush(stderr);
    m_bShown = true;
}

void CTerminalProgress::customEvent(QEvent *event)
{
    if (event->type() != CEventBase::EVENT_TYPE)
        return;
    const auto *progress = static_cast<CEventBase *>(event);
    if (progress->total > 0)
        Show(int(progress->pos * 100 / progress->total));
}
