#include "BrindleQT.h"

void BrindleQT::currentRowChanged(int currentRow)
{
    m_nCurRow = currentRow;
    UpdateSongButtons();
    UpdateSongPanel();
}
