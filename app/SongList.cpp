#include "BrindleQT.h"
#include "Messages.h"
#include "ui_BrindleQT.h"

void BrindleQT::LoadSongList()
{
    if (m_pUSBPort->State() != LINK_NORMAL)
        return;
    if (m_songTable.LoadSongs() != RESULT_OK) {
        ShowMessage(QStringLiteral("Load song info failed !"));
        return;
    }
    InitTreeFromMicData();
}

void BrindleQT::InitTreeFromMicData()
{
    qDebug("InitTreeFromMicData\n");
    FillSongList(0);
}

QString BrindleQT::RowText(uint32_t nSlot) const
{
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
        const bool bSong = pStore && pStore->HasSong();
        ui->m_lstSong->addItem(new QListWidgetItem(bSong ? m_iconSong : m_iconEmpty, RowText(i)));
    }
    if (nRow == -1)
        return;
    // Selected without becoming current, so no currentRowChanged follows.
    if (QListWidgetItem *pItem = ui->m_lstSong->item(nRow))
        pItem->setSelected(true);
    m_nCurRow = nRow;
    UpdateSongButtons();
}

void BrindleQT::UpdateSongButtons()
{
    const bool bRowOk = m_pUSBPort->State() == LINK_NORMAL && m_nCurRow != -1;
    ui->m_btnOpen->setEnabled(bRowOk);
    const CLooperSongBase *pStore = m_songTable.Store(uint32_t(m_nCurRow));
    const bool bHasSong = bRowOk && pStore && pStore->HasSong();
    ui->m_btnDelete->setEnabled(bHasSong);
    ui->m_btnUpload->setEnabled(bHasSong);
}
