#include "CFlashLayout.h"
#include "FuzzSupport.h"

#include <QByteArray>

// Arbitrary INI text as a package item's flash layout.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SilenceMessages();
    CFlashLayout layout;
    if (layout.LoadText(QByteArray(reinterpret_cast<const char *>(data), int(size))))
        layout.LeadingSectorsFor(uint32_t(size) * 977);
    return 0;
}
