#include "BrindleQT.h"

void BrindleQT::OnUploadSong()
{
    if (m_nOperation != OP_NONE)
        return;
}
