#include "BrindleQT.h"
#include "CLooperSongTable.h"
#include "FileDialogs.h"
#include "Messages.h"
#include "Settings.h"
#include "SongTransfer.h"
#include "ui_BrindleQT.h"

void BrindleQT::OnUploadSong()
{
    if (m_nOperation != OP_NONE)
        return;
    CLooperSongBase *pStore = m_songTable.Store(uint32_t(m_nCurRow));
    if (!pStore || !pStore->HasSong())
        return;
    const QString strProposed =
        ReadConfigValue("/Config/WavSaveDir") + QString::asprintf("./Song %.3d", m_nCurRow + 1);
    const QString strPath = AskSaveFileName(this, "Open wav file", strProposed, "Wav Files(*.wav)");
    if (strPath.isEmpty())
        return;
    WriteConfigValue("/Config/WavSaveDir", GetFileDir(strPath));
    BeginOperation(OP_UPLOAD);
    SFileFailure failure;
    const int32_t nResult = UploadSongToFile(m_songTable, uint32_t(m_nCurRow),
                                             m_pUSBPort->Identity().productId, strPath, this, failure);
    // After a good read a file that could not be written is the news; "Successful !" would be false.
    if (nResult == RESULT_OK && !failure.text.isEmpty())
        ShowMessage(failure.text);
    else
        ShowResult(nResult);
    EndOperation();
}
