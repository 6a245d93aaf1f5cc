#include "BrindleQT.h"
#include "Messages.h"
#include "ui_BrindleQT.h"

#include <QMessageBox>

void BrindleQT::OnDeleteSong()
{
    if (m_nOperation != OP_NONE)
        return;
    const int32_t nRow = m_nCurRow;
    CLooperSongBase *pStore = m_songTable.Store(uint32_t(nRow));
    // The list can be out of step with the table (emptied by a disconnection): without an item
    // there is nothing the user could have meant, so nothing is done.
    QListWidgetItem *pItem = ui->m_lstSong->item(nRow);
    if (!pStore || !(pStore->HasSong() || IsDamagedRow(nRow)) || !pItem)
        return;
    const QString strText = QString("Continue to delete song '%1' ?").arg(pItem->text(), 0, ' ');
    if (QMessageBox::information(nullptr, "Delete", strText, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::NoButton) != QMessageBox::Yes)
        return;
    StopPlaying();
    // The table may have been reloaded while the box was open. Deleting a damaged slot erases its
    // record, which is how the looper becomes writable again.
    int32_t nResult = RESULT_BAD_SLOT;
    if (uint32_t(nRow) < m_songTable.StoreCount()) {
        nResult = m_songTable.EraseSong(uint32_t(nRow));
        if (nResult == RESULT_OK) {
            const int32_t nKeep = m_nCurRow;
            nResult = ReloadSongTable();
            FillSongList(nKeep);
            // A slot still damaged shows in the list; any other failure needs words.
            if (nResult == RESULT_OK || m_songTable.HasDamagedSlot())
                return;
        }
    }
    ShowResult(nResult);
}
