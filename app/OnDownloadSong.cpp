#include "BrindleQT.h"
#include "CLooperSongTable.h"
#include "Messages.h"
#include "Settings.h"
#include "SongTransfer.h"
#include "ui_BrindleQT.h"

#include <QFileDialog>
#include <QMessageBox>

bool BrindleQT::ConfirmOverwrite()
{
    CLooperSongBase *pStore = m_songTable.Store(uint32_t(m_nCurRow));
    if (!pStore || !pStore->HasSong())
        return true;
    QListWidgetItem *pItem = ui->m_lstSong->item(m_nCurRow);
    const QString strName = pItem ? pItem->text() : RowText(uint32_t(m_nCurRow));
    const QString strText =
        QString("'%1' already exist, continue to overwrite the song?").arg(strName, 0, ' ');
    return QMessageBox::information(nullptr, "Overwrite warning", strText, QMessageBox::Yes | QMessageBox::No,
                                    QMessageBox::NoButton) == QMessageBox::Yes;
}

void BrindleQT::OnDownloadSong()
{
    if (m_nOperation != OP_NONE || RefuseWhileDamaged() || !ConfirmOverwrite())
        return;
    const QString strPath = QFileDialog::getOpenFileName(
        this, "Open wav file", ReadConfigValue("/Config/WavLoadDir"), "Wav Files(*.wav)");
    if (strPath.isEmpty())
        return;
    WriteConfigValue("/Config/WavLoadDir", GetFileDir(strPath));
    const int32_t nRow = m_nCurRow;
    BeginOperation(OP_DOWNLOAD);
    if (!LoadWaveForDevice(m_wave, strPath, m_pUSBPort->Identity().productId)) {
        EndOperation();
        return;
    }
    ShowResult(m_songTable.WriteSong(uint32_t(nRow), m_wave.buffer.data, m_wave.DataLength(), this));
    ReloadSongTable();
    FillSongList(nRow);
    EndOperation();
}
