#include "BrindleQT.h"
#include "Settings.h"
#include "ui_BrindleQT.h"

#include <QAction>
#include <QFileDialog>

// The song list's context menu holds what goes beyond the buttons; each action is a command of
// its own file.
void BrindleQT::CreateSongListMenu()
{
    ui->m_lstSong->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto *pBackup = new QAction(QString::fromUtf8("Back up all songs\u2026"), ui->m_lstSong);
    connect(pBackup, &QAction::triggered, this, &BrindleQT::OnBackupSongs);
    ui->m_lstSong->addAction(pBackup);
    auto *pRestore = new QAction(QString::fromUtf8("Restore from backup\u2026"), ui->m_lstSong);
    connect(pRestore, &QAction::triggered, this, &BrindleQT::OnRestoreSongs);
    ui->m_lstSong->addAction(pRestore);
}

QString BrindleQT::ChooseBackupFolder(const QString &strTitle)
{
    const QString strFolder =
        QFileDialog::getExistingDirectory(this, strTitle, ReadConfigValue("/Config/BackupDir"));
    if (!strFolder.isEmpty())
        WriteConfigValue("/Config/BackupDir", strFolder);
    return strFolder;
}
