#include "SBackupPlaces.h"

#include "BackupLayout.h"

bool SBackupPlaces::OpenWork()
{
    if (!m_top.IsFolder(BACKUP_WORK_FOLDER))
        return true;
    if (!m_work.OpenChild(m_top, BACKUP_WORK_FOLDER, false))
        return false;
    return !m_work.IsFolder(BACKUP_INCOMING_FOLDER) ||
           m_incoming.OpenChild(m_work, BACKUP_INCOMING_FOLDER, false);
}

QString SBackupPlaces::WorkErrorText() const
{
    return m_work.IsOpen() ? m_incoming.ErrorText() : m_work.ErrorText();
}
