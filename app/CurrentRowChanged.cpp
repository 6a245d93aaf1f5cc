#include "BrindleQT.h"

void BrindleQT::currentRowChanged(int currentRow)
{
    Q_UNUSED(currentRow);
}
