#include "AudioExport.h"
#include "AudioFileFormats.h"
#include "AudioImport.h"
#include "BrindleQT.h"
#include "FileDialogs.h"
#include "Messages.h"
#include "Settings.h"
#include "ui_BrindleQT.h"

#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>

#include <vector>

namespace {
// The one local file a drag carries, or an empty text.
QString DraggedFile(const QMimeData *pData)
{
    if (!pData || pData->urls().size() != 1 || !pData->urls().first().isLocalFile())
        return QString();
    return pData->urls().first().toLocalFile();
}

// An event of a drag over the list: entering, moving or dropping.
bool IsDropStep(const QEvent *event)
{
    const QEvent::Type nType = event->type();
    return nType == QEvent::DragEnter || nType == QEvent::DragMove || nType == QEvent::Drop;
}
} // namespace

void BrindleQT::SetUpAudioFileActions()
{
    ui->m_lstSong->viewport()->setAcceptDrops(true);
    ui->m_lstSong->viewport()->installEventFilter(this);
}

// Both kinds of drop on the song list look at the same event and the row under the pointer.
bool BrindleQT::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->m_lstSong->viewport() && IsDropStep(event)) {
        auto *pDrop = static_cast<QDropEvent *>(event);
        const int nRow = ui->m_lstSong->indexAt(pDrop->pos()).row();
        if (TakeSongRowDrop(pDrop, nRow) || TakeAudioFileDrop(pDrop, nRow))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// A file dropped on a row is imported into that slot once the drop has finished, so the drag's source
// is not kept waiting through the questions and the transfer.
bool BrindleQT::TakeAudioFileDrop(QDropEvent *pDrop, int nRow)
{
    const QEvent::Type nType = pDrop->type();
    const QString strPath = DraggedFile(pDrop->mimeData());
    const bool bWanted = !strPath.isEmpty() && IsDeviceIdle();
    if (!bWanted || (nType != QEvent::DragEnter && nRow < 0)) {
        pDrop->ignore();
        return true;
    }
    pDrop->acceptProposedAction();
    if (nType == QEvent::Drop)
        QTimer::singleShot(0, this, [this, nRow, strPath] {
            ui->m_lstSong->setCurrentRow(nRow);
            if (m_nCurRow == nRow && !RefuseWhileDamaged() && ConfirmOverwrite())
                ImportAudioFile(nRow, strPath);
        });
    return true;
}

void BrindleQT::OnImportAudioFile()
{
    if (m_nOperation != OP_NONE || m_nCurRow < 0 || RefuseWhileDamaged() || !ConfirmOverwrite())
        return;
    const QString strPath = QFileDialog::getOpenFileName(
        this, "Import audio file", ReadConfigValue("/Config/WavLoadDir"), AudioImportFilter());
    if (strPath.isEmpty())
        return;
    WriteConfigValue("/Config/WavLoadDir", GetFileDir(strPath));
    ImportAudioFile(m_nCurRow, strPath);
}

void BrindleQT::ImportAudioFile(int32_t nRow, const QString &strPath)
{
    const DeviceModel *pModel = FindDeviceModel(m_pUSBPort->Identity().productId);
    if (m_nOperation != OP_NONE || !pModel || !pModel->geometry)
        return;
    BeginOperation(OP_DOWNLOAD);
    std::vector<uint8_t> song;
    if (ConvertAudioFileForDevice(strPath, *pModel->geometry, CHANNELS_DEFAULT, song)) {
        ShowResult(m_songTable.WriteSong(uint32_t(nRow), song.data(), uint32_t(song.size()), this));
        ReloadSongTable();
        FillSongList(nRow);
    }
    EndOperation();
}

void BrindleQT::OnExportAudioFile()
{
    CLooperSongBase *pStore = m_songTable.Store(uint32_t(m_nCurRow));
    if (m_nOperation != OP_NONE || !pStore || !pStore->HasSong())
        return;
    const QString strProposed =
        ReadConfigValue("/Config/WavSaveDir") + QString::asprintf("./Song %.3d.wav", m_nCurRow + 1);
    const QString strPath = AskSaveFileName(this, "Export song", strProposed, AudioExportFilters());
    if (strPath.isEmpty())
        return;
    WriteConfigValue("/Config/WavSaveDir", GetFileDir(strPath));
    BeginOperation(OP_UPLOAD);
    bool bSaved = false;
    const int32_t nResult =
        ExportSongToAudioFile(m_songTable, uint32_t(m_nCurRow), m_pUSBPort->Identity().productId, strPath,
                              SAudioExportFormat(), this, bSaved);
    if (nResult != RESULT_OK || bSaved)
        ShowResult(nResult);
    EndOperation();
}
