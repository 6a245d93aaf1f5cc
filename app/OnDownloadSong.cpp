#include "BrindleQT.h"

void BrindleQT::OnDownloadSong()
{
    if (m_nOperation != OP_NONE)
        return;
}
