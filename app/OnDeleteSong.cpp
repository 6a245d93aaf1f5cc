#include "BrindleQT.h"

void BrindleQT::OnDeleteSong()
{
    if (m_nOperation != OP_NONE)
        return;
}
