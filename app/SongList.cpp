#include "BrindleQT.h"
#include "CancelRequest.h"
#include "DamagedSlots.h"
#include "Messages.h"
#include "ui_BrindleQT.h"

// Every slot is loaded on its own, so one damaged record keeps none of the other songs out of reach.
void BrindleQT::LoadSongList()
{
    if (m_pUSBPort->State() != LINK_NORMAL)
        return;
    if (ReloadSongTable() != RESULT_OK) {
        ShowMessage(QStringLiteral("Load song info failed !"));
        // A model whose songs cannot be read at all has no rows to show.
        if (m_songTable.StoreCount() == 0)
            return;
    }
    InitTreeFromMicData();
}

// A stop the user asked for ended the work before this: the list must still be read.
int32_t BrindleQT::ReloadSongTable()
{
    ClearCancel();
    return m_songTable.LoadEachSong();
}

bool BrindleQT::IsDamagedRow(int32_t nRow) const
{
    return nRow >= 0 && uint32_t(nRow) < m_songTable.StoreCount() &&
           m_songTable.SlotLoadResult(uint32_t(nRow)) != RESULT_OK;
}

// Nothing may be written while a slot is damaged: its blocks are unknown, so a new song could land on them.
bool BrindleQT::RefuseWhileDamaged()
{
    const QString strRefusal = DamagedSlotRefusal(m_songTable);
    if (strRefusal.isEmpty())
        return false;
    ShowMessage(strRefusal);
    return true;
}

void BrindleQT::InitTreeFromMicData()
{
    qDebug("InitTreeFromMicData\n");
    FillSongList(0);
}

QString BrindleQT::RowText(uint32_t nSlot) const
{
    if (IsDamagedRow(int32_t(nSlot)))
        return QString::asprintf("Song %.3d -- %s", int(nSlot + 1), "(Damaged)");
    const CLooperSongBase *pStore = m_songTable.Store(nSlot);
    if (pStore && pStore->HasSong())
        return m_songTable.SongRowText(nSlot);
    return QString::asprintf("Song %.3d -- %s", int(nSlot + 1), "(Empty)");
}

void BrindleQT::FillSongList(int32_t nRow)
{
    ui->m_lstSong->clear();
    const uint32_t nSlots = m_songTable.StoreCount();
    for (uint32_t i = 0; i < nSlots; ++i) {
        const CLooperSongBase *pStore = m_songTable.Store(i);
        const bool bSong = pStore && pStore->HasSong() && !IsDamagedRow(int32_t(i));
        ui->m_lstSong->addItem(new QListWidgetItem(bSong ? m_iconSong : m_iconEmpty, RowText(i)));
    }
    UpdateStorageBar();
    if (nRow == -1) {
        UpdateSongPanel();
        return;
    }
    // Selected without becoming current, so no currentRowChanged follows.
    if (QListWidgetItem *pItem = ui->m_lstSong->item(nRow))
        pItem->setSelected(true);
    m_nCurRow = nRow;
    UpdateSongButtons();
    UpdateSongPanel();
}

// While an operation runs the song commands stay greyed.
void BrindleQT::UpdateSongButtons()
{
    const bool bRowOk = m_pUSBPort->State() == LINK_NORMAL && m_nCurRow != -1;
    ui->m_btnOpen->setEnabled(bRowOk);
    const bool bIdle = m_nOperation == OP_NONE;
    const CLooperSongBase *pStore = m_songTable.Store(uint32_t(m_nCurRow));
    const bool bHasSong = bRowOk && pStore && pStore->HasSong() && !IsDamagedRow(m_nCurRow);
    ui->m_btnDelete->setEnabled(bIdle && (bHasSong || (bRowOk && IsDamagedRow(m_nCurRow))));
    ui->m_btnUpload->setEnabled(bIdle && bHasSong);
    ui->m_btnExport->setEnabled(bIdle && bHasSong);
    ui->m_btnImport->setEnabled(bIdle && bRowOk);
}
