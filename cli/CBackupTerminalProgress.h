#pragma once

#include "CBackupObserver.h"

#include <QObject>

// Shows a backup's or a restore's progress on stderr, when stderr is a terminal and the user did
// not ask for quiet: "Song k of n (slot NNN): bytes done of bytes".
class CBackupTerminalProgress : public QObject, public CBackupObserver {
public:
    explicit CBackupTerminalProgress(bool quiet);
    ~CBackupTerminalProgress() override;

    void SongStarted(uint32_t index, uint32_t count, uint32_t slot, uint32_t bytes) override;
    // Ends the progress line, so that what the command prints next starts a line of its own.
    void End();
    QObject *ProgressTarget() override { return this; }

protected:
    void customEvent(QEvent *event) override;

private:
    void Show(int64_t done);

    bool m_bEnabled;
    bool m_bShown;
    uint32_t m_nIndex;
    uint32_t m_nCount;
    uint32_t m_nSlot;
    uint32_t m_nBytes;
};
