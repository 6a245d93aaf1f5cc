#pragma once

#include "CBackupObserver.h"

#include <QProgressBar>

// The window's bar follows each song of a backup or restore from empty to full; the window
// receives the progress events.
class CWindowBackupProgress : public CBackupObserver {
public:
    CWindowBackupProgress(QProgressBar &bar, QObject &window) : m_bar(bar), m_window(window) {}
    void SongStarted(uint32_t, uint32_t, uint32_t, uint32_t) override { m_bar.setValue(0); }
    QObject *ProgressTarget() override { return &m_window; }

private:
    QProgressBar &m_bar;
    QObject &m_window;
};
