#include "FirmwareVersion.h"

QString FormatVersion(uint32_t firmwareVersion)
{
    return QString::asprintf("%d.%d.%d", int((firmwareVersion >> 16) & 0xFF),
                             int((firmwareVersion >> 8) & 0xFF), int(firmwareVersion & 0xFF));
}
