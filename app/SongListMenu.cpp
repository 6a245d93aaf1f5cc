#include "BrindleQT.h"
#include "FileDialogs.h"
#include "Settings.h"
#include "ui_BrindleQT.h"

#include <QMenu>

// The song list's context menu holds what goes beyond the buttons; each action is a command of
// its own file.
void BrindleQT::CreateSongListMenu()
{
    ui->m_lstSong->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui->m_lstSong, &QWidget::customContextMenuRequested, this, &BrindleQT::OnSongListMenu);
    SetUpSongArrangement();
}

void BrindleQT::OnSongListMenu(const QPoint &pos)
{
    if (QListWidgetItem *pItem = ui->m_lstSong->itemAt(pos))
        ui->m_lstSong->setCurrentItem(pItem);
    const bool bIdle = IsDeviceIdle();
    const bool bRowOk = bIdle && ui->m_btnOpen->isEnabled();
    QMenu menu(this);
    if (bRowOk && IsDamagedRow(m_nCurRow)) {
        AddDamagedRowActions(menu);
        menu.addSeparator();
    }
    menu.addAction(QString::fromUtf8("Import audio file\u2026"), this, &BrindleQT::OnImportAudioFile)
        ->setEnabled(bRowOk);
    menu.addAction(QString::fromUtf8("Export\u2026"), this, &BrindleQT::OnExportAudioFile)
        ->setEnabled(bRowOk && ui->m_btnUpload->isEnabled());
    menu.addSeparator();
    if (m_songTable.StoreCount() > 1)
        AddArrangeActions(menu, bRowOk && !IsDamagedRow(m_nCurRow));
    menu.addAction(QString::fromUtf8("Back up all songs\u2026"), this, &BrindleQT::OnBackupSongs)
        ->setEnabled(bIdle);
    menu.addAction(QString::fromUtf8("Restore from backup\u2026"), this, &BrindleQT::OnRestoreSongs)
        ->setEnabled(bIdle);
    menu.exec(ui->m_lstSong->viewport()->mapToGlobal(pos));
}

// What can be done with a slot whose record could not be read.
void BrindleQT::AddDamagedRowActions(QMenu &menu)
{
    menu.addAction(QStringLiteral("Delete"), this, &BrindleQT::OnDeleteSong);
    if (m_songTable.SongRecoverable(uint32_t(m_nCurRow)))
        menu.addAction(QStringLiteral("Repair"), this, &BrindleQT::OnRepairSong);
}

// A looper of one slot has nothing to arrange, and is offered nothing.
void BrindleQT::AddArrangeActions(QMenu &menu, bool bRowOk)
{
    menu.addAction(QString::fromUtf8("Move to slot\u2026"), this, &BrindleQT::OnMoveSong)
        ->setEnabled(bRowOk && ui->m_btnUpload->isEnabled());
    menu.addAction(QString::fromUtf8("Swap with slot\u2026"), this, &BrindleQT::OnSwapSong)
        ->setEnabled(bRowOk);
    menu.addSeparator();
}

QString BrindleQT::ChooseBackupFolder(const QString &strTitle)
{
    const QString strFolder = AskFolder(this, strTitle, ReadConfigValue("/Config/BackupDir"));
    if (!strFolder.isEmpty())
        WriteConfigValue("/Config/BackupDir", strFolder);
    return strFolder;
}
