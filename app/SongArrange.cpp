#include "ArrangeRefusal.h"
#include "BrindleQT.h"
#include "Messages.h"
#include "ui_BrindleQT.h"

#include <QDataStream>
#include <QDropEvent>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QTimer>

namespace {
const char *const ROW_FORMAT = "application/x-qabstractitemmodeldatalist";

// The row that a drag out of the song list carries, or -1 for any other drag.
int DraggedRow(const QMimeData *pData)
{
    if (!pData || !pData->hasFormat(QLatin1String(ROW_FORMAT)))
        return -1;
    QByteArray encoded = pData->data(QLatin1String(ROW_FORMAT));
    QDataStream stream(&encoded, QIODevice::ReadOnly);
    int nRow = -1;
    stream >> nRow;
    return stream.status() == QDataStream::Ok ? nRow : -1;
}
} // namespace

// A row is dragged as a copy: a move would make the list take the dragged row away itself.
void BrindleQT::SetUpSongArrangement()
{
    ui->m_lstSong->setDragEnabled(true);
    ui->m_lstSong->setDragDropMode(QAbstractItemView::DragOnly);
    ui->m_lstSong->setDefaultDropAction(Qt::CopyAction);
}

bool BrindleQT::CanArrange() const
{
    return IsDeviceIdle() && m_songTable.StoreCount() > 1;
}

// A row dropped on another asks whether to swap the two songs, once the drop has finished.
bool BrindleQT::TakeSongRowDrop(QDropEvent *pDrop, int nTo)
{
    const QEvent::Type nType = pDrop->type();
    const int nFrom = DraggedRow(pDrop->mimeData());
    if (nFrom < 0)
        return false;
    if (!CanArrange() || (nType != QEvent::DragEnter && (nTo < 0 || nTo == nFrom))) {
        pDrop->ignore();
        return true;
    }
    pDrop->setDropAction(Qt::CopyAction);
    pDrop->accept();
    if (nType == QEvent::Drop)
        QTimer::singleShot(0, this, [this, nFrom, nTo] {
            const QString strText =
                QStringLiteral("Swap %1 and %2?").arg(SongTitle(uint32_t(nFrom)), SongTitle(uint32_t(nTo)));
            if (QMessageBox::question(this, "Swap songs", strText, QMessageBox::Yes | QMessageBox::No,
                                      QMessageBox::No) == QMessageBox::Yes)
                ArrangeSongs(uint32_t(nFrom), uint32_t(nTo), true);
        });
    return true;
}

void BrindleQT::OnMoveSong()
{
    uint32_t nTo = 0;
    if (AskArrangeSlot("Move to slot", QStringLiteral("Move %1 to slot:"), nTo))
        ArrangeSongs(uint32_t(m_nCurRow), nTo, false);
}

void BrindleQT::OnSwapSong()
{
    uint32_t nTo = 0;
    if (AskArrangeSlot("Swap with slot", QStringLiteral("Swap %1 with slot:"), nTo))
        ArrangeSongs(uint32_t(m_nCurRow), nTo, true);
}

// The slot number as the list shows it (from 1), offered from the next slot on.
bool BrindleQT::AskArrangeSlot(const char *szTitle, const QString &strLabel, uint32_t &nSlot)
{
    if (!CanArrange() || m_nCurRow < 0)
        return false;
    const int nCount = int(m_songTable.StoreCount());
    bool bOk = false;
    const int nNumber =
        QInputDialog::getInt(this, QString::fromLatin1(szTitle), strLabel.arg(SongTitle(uint32_t(m_nCurRow))),
                             m_nCurRow + 2 > nCount ? m_nCurRow : m_nCurRow + 2, 1, nCount, 1, &bOk);
    nSlot = uint32_t(nNumber - 1);
    return bOk;
}

// Only records are written, which takes a moment: the list is loaded again and the song that was
// in `nFrom` stays selected in its new slot.
void BrindleQT::ArrangeSongs(uint32_t nFrom, uint32_t nTo, bool bSwap)
{
    if (!CanArrange())
        return;
    const QString strRefusal =
        bSwap ? SwapRefusal(m_songTable, nFrom, nTo) : MoveRefusal(m_songTable, nFrom, nTo);
    if (!strRefusal.isEmpty()) {
        ShowMessage(strRefusal);
        return;
    }
    const CLooperSongBase *pTarget = m_songTable.Store(nTo);
    const QString strReplace = QStringLiteral("Move %1 to slot %2? The song in slot %2 is deleted.")
                                   .arg(SongTitle(nFrom))
                                   .arg(nTo + 1);
    if (!bSwap && pTarget->HasSong() &&
        QMessageBox::question(this, "Replace song", strReplace, QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) != QMessageBox::Yes)
        return;
    // The records change under a song that is playing from the looper.
    StopPlaying();
    const int32_t nResult = bSwap ? m_songTable.SwapSongs(nFrom, nTo) : m_songTable.MoveSong(nFrom, nTo);
    ReloadSongTable();
    FillSongList(int32_t(nTo));
    ui->m_lstSong->setCurrentRow(int(nTo));
    if (nResult != RESULT_OK)
        ShowResult(nResult);
}
