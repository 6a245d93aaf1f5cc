#pragma once

#include "CBackupHistory.h"
#include "CSafeFolder.h"

#include <QString>

// The folders of a backup folder (BackupLayout.h) that both its writer and its reader hold open.
struct SBackupPlaces {
    // Opens .brindle of the open top, and .brindle/incoming in it, where they are folders. False
    // when one of them cannot be opened; WorkErrorText() says why.
    bool OpenWork();
    QString WorkErrorText() const;

    QString m_strPath;
    CSafeFolder m_top;
    CSafeFolder m_work;
    CSafeFolder m_incoming;
    CBackupHistory m_history;
};
