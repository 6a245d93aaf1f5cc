#include "CBackupTerminalProgress.h"

#include "CEventBase.h"

#include <cstdio>
#include <unistd.h>

CBackupTerminalProgress::CBackupTerminalProgress(bool quiet)
    : m_bEnabled(!quiet && isatty(fileno(stderr))), m_bShown(false), m_nIndex(0), m_nCount(0), m_nSlot(0),
      m_nBytes(0)
{
}

CBackupTerminalProgress::~CBackupTerminalProgress()
{
    End();
}

void CBackupTerminalProgress::End()
{
    if (m_bShown)
        std::fprintf(stderr, "\n");
    m_bShown = false;
}

void CBackupTerminalProgress::SongStarted(uint32_t index, uint32_t count, uint32_t slot, uint32_t bytes)
{
    m_nIndex = index;
    m_nCount = count;
    m_nSlot = slot;
    m_nBytes = bytes;
    Show(0);
}

void CBackupTerminalProgress::Show(int64_t done)
{
    if (!m_bEnabled)
        return;
    std::fprintf(stderr, "\rSong %u of %u (slot %.3u): %lld of %u bytes   ", m_nIndex, m_nCount, m_nSlot + 1,
                 static_cast<long long>(done), m_nBytes);
    std::fflush(stderr);
    m_bShown = true;
}

void CBackupTerminalProgress::customEvent(QEvent *event)
{
    if (event->type() == CEventBase::EVENT_TYPE)
        Show(static_cast<CEventBase *>(event)->pos);
}
