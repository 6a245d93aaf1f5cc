#include "CPackageBuilder.h"
#include "FuzzSeeds.h"

void MakeFirmwarePackageSeeds(CSeedWriter &writer)
{
    writer.Write(CPackageBuilder("10003").Build());
    writer.Write(
        CPackageBuilder("10002")
            .AddItem(CPackageBuilder::LayoutText(2, 0x10000, 16, 4096),
                     CPackageBuilder::PatternImage(3000, 1))
            .AddItem(CPackageBuilder::LayoutText(3, 0, 4, 65536), CPackageBuilder::PatternImage(700, 2))
            .Build());
    writer.Write(
        CPackageBuilder("10004")
            .AddItem(CPackageBuilder::LayoutText(2, 0, 2, 4096), CPackageBuilder::PatternImage(100, 3))
            .SetScrambled(false)
            .Build());
}

void MakeFlashLayoutSeeds(CSeedWriter &writer)
{
    writer.Write(CPackageBuilder::LayoutText(2, 0x10000, 16, 4096));
    writer.Write("[FLASH 1]\nTYPE=2\nStart Address=0x0\nEnd Address=0x10000 ; first\nSector Size=4096\n"
                 "[FLASH 2]\nTYPE=2\nStart Address=0X10000\nEnd Address=131072\nSector Size=0x8000\n");
    writer.Write("[FLASH 1]\nTYPE=0\nStart Address=0\nEnd Address=100\nSector Size=30\n[FLASH 3]\nTYPE=1\n");
}
