#include "WindowTitle.h"

#include "BrindleQT.h"
#include "BrindleVersion.h"
#include "DeviceModel.h"

namespace {
const char *const TITLE_BASE = "Brindle V" BRINDLE_VERSION;
}

QString FormatVersion(uint32_t firmwareVersion)
{
    return QString::asprintf("%d.%d.%d", static_cast<int>((firmwareVersion >> 16) & 0xFF),
                             static_cast<int>((firmwareVersion >> 8) & 0xFF),
                             static_cast<int>(firmwareVersion & 0xFF));
}

void BrindleQT::UpdateWindowTitle()
{
    const QString strBase = QString::fromLatin1(TITLE_BASE);
    if (m_pUSBPort->State() == LINK_CLOSED) {
        setWindowTitle(strBase + " - (No device connected !)");
        return;
    }
    if (m_pUSBPort->State() == LINK_RAW) {
        setWindowTitle(strBase + " - (Please enter update mode !)");
        return;
    }
    const DeviceIdentity &identity = m_pUSBPort->Identity();
    const DeviceModel *pModel = FindDeviceModel(identity.productId);
    if (!pModel) {
        setWindowTitle(strBase + " - (Unknown device connected !)");
        return;
    }
    setWindowTitle(
        QStringLiteral("%1 - (Connected - %2, Ver=V%3)")
            .arg(strBase, QString::fromLatin1(pModel->name), FormatVersion(identity.firmwareVersion)));
}
