#include "BrindleQT.h"
#include "BrindleVersion.h"
#include "DeviceModel.h"
#include "FirmwareVersion.h"

namespace {
const char *const TITLE_BASE = "Brindle V" BRINDLE_VERSION;
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
