#include "BrindleQT.h"
#include "CSongRestore.h"
#include "CWindowBackupProgress.h"
#include "CSongInfoKeeper.h"
#include "Messages.h"
#include "SnapshotChoice.h"
#include "ui_BrindleQT.h"

#include <QMessageBox>

namespace {
QString RestoreReport(int32_t nResult, const CSongRestore &restore, const QString &strFolder)
{
    if (nResult == RESULT_OK)
        return QStringLiteral("%1 songs restored from %2").arg(restore.Songs().size()).arg(strFolder);
    return nResult == RESULT_CANCELLED ? ResultText(nResult) : restore.FailureText();
}
} // namespace

bool BrindleQT::ConfirmRestore(const std::vector<uint32_t> &occupied)
{
    if (occupied.empty())
        return true;
    QString strText = QStringLiteral("Restoring replaces the songs in these slots:\n");
    for (const uint32_t nSlot : occupied)
        strText += RowText(nSlot) + "\n";
    strText += QStringLiteral("Continue?");
    return QMessageBox::information(nullptr, "Restore warning", strText, QMessageBox::Yes | QMessageBox::No,
                                    QMessageBox::NoButton) == QMessageBox::Yes;
}

// The newest snapshot of the folder, or the one the user picks when it holds more. Everything is
// checked before the looper is touched; each restored song is read back, and gets its name back.
void BrindleQT::OnRestoreSongs()
{
    if (!IsDeviceIdle())
        return;
    const QString strFolder = ChooseBackupFolder(QStringLiteral("Restore from backup"));
    QString strSnapshot;
    if (strFolder.isEmpty() || !AskSnapshot(this, strFolder, strSnapshot))
        return;
    const int32_t nRow = m_nCurRow;
    BeginOperation(OP_RESTORE);
    CWindowBackupProgress progress(*ui->progressBar, *this);
    CSongRestore restore(m_songTable, m_pUSBPort->Identity(), &progress, &m_pSongInfo->Names());
    ReloadSongTable();
    QString strReport;
    if (!restore.Check(strFolder, strSnapshot, {}, false))
        strReport = restore.FailureText();
    else if (ConfirmRestore(restore.OccupiedSlots()))
        strReport = RestoreReport(restore.Run(), restore, strFolder);
    ReloadSongTable();
    FillSongList(nRow);
    EndOperation();
    if (!strReport.isEmpty())
        ShowMessage(strReport);
}
