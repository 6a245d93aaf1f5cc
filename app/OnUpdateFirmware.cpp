#include "BrindleQT.h"

void BrindleQT::OnUpdateFirmware()
{
    if (m_nOperation != OP_NONE)
        return;
}
