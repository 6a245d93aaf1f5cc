#include "BrindleQT.h"
#include "CSongBackup.h"
#include "CWindowBackupProgress.h"
#include "CSongInfoKeeper.h"
#include "Messages.h"
#include "ui_BrindleQT.h"

namespace {
QString BackupReport(int32_t nResult, const CSongBackup &backup, const QString &strFolder)
{
    if (nResult != RESULT_OK)
        return nResult == RESULT_CANCELLED ? ResultText(nResult) : backup.FailureText();
    QString strText =
        QStringLiteral("%1 songs backed up to %2 (%3 read from the looper, %4 already in the backup)")
            .arg(backup.Manifest().songs.size())
            .arg(strFolder)
            .arg(backup.ReadCount())
            .arg(backup.KeptCount());
    for (const SBackupDamage &damage : backup.Manifest().damaged)
        strText += QStringLiteral("\nSong %1 not backed up: damaged (%2)")
                       .arg(damage.slot + 1, 3, 10, QChar('0'))
                       .arg(damage.reason);
    return strText;
}
} // namespace

// Every slot is loaded on its own for the backup, so that a damaged one keeps none of the others
// out of it. Only the songs that changed since the folder's newest snapshot are read.
void BrindleQT::OnBackupSongs()
{
    if (!IsDeviceIdle())
        return;
    const QString strFolder = ChooseBackupFolder(QStringLiteral("Back up all songs"));
    if (strFolder.isEmpty())
        return;
    const int32_t nRow = m_nCurRow;
    BeginOperation(OP_BACKUP);
    CWindowBackupProgress progress(*ui->progressBar, *this);
    CSongBackup backup(m_songTable, m_pUSBPort->Identity(), &progress, &m_pSongInfo->Names());
    ReloadSongTable();
    const int32_t nResult = backup.Run(strFolder);
    ReloadSongTable();
    FillSongList(nRow);
    EndOperation();
    ShowMessage(BackupReport(nResult, backup, strFolder));
}
