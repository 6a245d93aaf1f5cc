#include "BrindleQT.h"
#include "Messages.h"

// Brings back the previous song of a slot whose newest record was torn while it was written.
void BrindleQT::OnRepairSong()
{
    const int32_t nRow = m_nCurRow;
    if (m_nOperation != OP_NONE || !IsDamagedRow(nRow) || !m_songTable.SongRecoverable(uint32_t(nRow)))
        return;
    StopPlaying();
    const int32_t nResult = m_songTable.RepairSong(uint32_t(nRow));
    ReloadSongTable();
    FillSongList(nRow);
    ShowResult(nResult);
}
