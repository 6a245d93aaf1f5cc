#include "CFirmwarePackage.h"
#include "FuzzSupport.h"

// A package file of arbitrary bytes: open it, then read every item's layout text and image.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SilenceMessages();
    const QString path = WriteFuzzInput("fuzz.dat", data, size);
    if (path.isEmpty())
        return 0;
    static CFirmwarePackage package;
    package.Reset();
    if (!package.Open(path))
        return 0;
    package.DeviceId();
    for (uint32_t i = 0; i < package.ItemCount(); ++i) {
        uint32_t length = 0;
        package.LayoutText(i, length);
        package.DecodePayload(i, length);
    }
    return 0;
}
