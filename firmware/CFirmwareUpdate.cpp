#include "CFirmwareUpdate.h"

#include "CFlashLayout.h"
#include "CUSBPort.h"
#include "CancelRequest.h"
#include "LayoutFile.h"
#include "Messages.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>

namespace {
const char *const UPDATE_IN_PROGRESS =
    "Firmware update in progress: stopping now would leave the looper unusable";

const uint32_t UNREAD_PRODUCT_ID = 0xFFFFFFFF;
const int ERASED_BAR = 80;
const int WRITTEN_BAR = 100;

} // namespace

CFirmwareUpdate::CFirmwareUpdate(CUSBPort &port, CFirmwarePackage &package, CUpdateProgress &progress,
                                 QObject *progressTarget)
    : m_port(port), m_package(package), m_progress(progress), m_pProgressTarget(progressTarget)
{
}

bool CFirmwareUpdate::Run(const QString &strPackagePath)
{
    if (!OpenPackage(strPackagePath))
        return false;
    if (!DeviceAccepts())
        return false;
    // From here on a stop would leave the looper without firmware: requests are refused, and
    // one that came before is honoured before anything is erased.
    RefuseCancel(UPDATE_IN_PROGRESS);
    if (CancelRequested()) {
        AllowCancel();
        return false;
    }
    const bool programmed = ProgramItems(LayoutFilePath(strPackagePath));
    AllowCancel();
    ShowMessageF(programmed ? "M_SUCCESS" : "M_FAILED");
    return programmed;
}

bool CFirmwareUpdate::ProgramItems(const QString &strLayoutPath)
{
    for (uint32_t i = 0; i < m_package.ItemCount(); ++i) {
        if (!ProgramItem(i, strLayoutPath))
            return false;
    }
    return true;
}

bool CFirmwareUpdate::OpenPackage(const QString &strPackagePath)
{
    m_package.Reset();
    if (m_package.Open(strPackagePath))
        return true;
    ShowMessage(m_package.ErrorText());
    ShowMessageF("M_FAILED");
    return false;
}

// A closed link cannot erase anything, and a package for another product must never reach the
// flash; a device whose identity was never read is trusted, as it cannot be asked.
bool CFirmwareUpdate::DeviceAccepts()
{
    if (m_port.State() == LINK_CLOSED) {
        ShowMessage(ResultText(RESULT_DEVICE_NOT_OPEN));
        ShowMessageF("M_FAILED");
        return false;
    }
    const uint32_t productId = m_port.Identity().productId;
    if (productId != UNREAD_PRODUCT_ID && productId != m_package.DeviceId()) {
        qDebug("CFirmwareUpdate::Run device %u, package %u\n", productId, m_package.DeviceId());
        ShowMessageF("File not match the connected device,please confirm");
        return false;
    }
    return true;
}

bool CFirmwareUpdate::ProgramItem(uint32_t index, const QString &strLayoutPath)
{
    uint32_t length = 0;
    const uint8_t *text = m_package.LayoutText(index, length);
    // Without this item's own layout on disk, an older file there would decide where to write.
    const bool layoutWritten = text && WriteLayoutFile(strLayoutPath, text, length);
    const uint8_t *image = m_package.DecodePayload(index, length);
    if (!image || !layoutWritten)
        return false;
    if (!ProgramDataItem(strLayoutPath, image, length))
        return false;
    QFile::remove(strLayoutPath);
    return true;
}

bool CFirmwareUpdate::ProgramDataItem(const QString &strLayoutPath, const uint8_t *image, uint32_t length)
{
    CFlashLayout layout;
    if (!layout.Load(strLayoutPath)) {
        const QString text = layout.ErrorText();
        ShowMessage(text.isEmpty() ? QString("FLASH layout file not found: %1").arg(strLayoutPath) : text);
        return false;
    }
    if (layout.Sectors().empty()) {
        ShowMessage("FLASH layout has no sectors");
        return false;
    }
    if (length > layout.totalSize()) {
        ShowMessageF("M_SPACE_NOT_ENOUGH");
        return false;
    }
    const std::vector<SFlashSector> &sectors = layout.Sectors();
    return EraseLeadingSectors(sectors, layout.LeadingSectorsFor(length)) &&
           Write(sectors.front(), image, length);
}

bool CFirmwareUpdate::EraseLeadingSectors(const std::vector<SFlashSector> &sectors, uint32_t count)
{
    for (uint32_t j = 0; j < count; ++j) {
        const SFlashSector &sector = sectors[j];
        if (!m_port.EraseSector(uint8_t(sector.area), sector.address)) {
            ShowMessageF("Erase sector failed,address=0x%.8X", sector.address);
            return false;
        }
        m_progress.SetBar(int(uint64_t(ERASED_BAR) * (j + 1) / count));
        QCoreApplication::processEvents();
    }
    return true;
}

bool CFirmwareUpdate::Write(const SFlashSector &first, const uint8_t *image, uint32_t length)
{
    const int result =
        m_port.WriteVerify(uint8_t(first.area), first.address, image, length, m_pProgressTarget);
    switch (result) {
    case WRITE_RESULT_OK:
        m_progress.SetBar(WRITTEN_BAR);
        return true;
    case WRITE_RESULT_FAILED:
        m_progress.SetBar(WRITTEN_BAR);
        ShowMessageF("M_WRITE_FAILED");
        return false;
    case WRITE_RESULT_VERIFY_FAILED:
        m_progress.SetBar(WRITTEN_BAR);
        ShowMessageF("M_VERIFY_FAILED");
        return false;
    case WRITE_RESULT_TIMEOUT:
        m_progress.SetBar(WRITTEN_BAR);
        ShowMessageF("M_WRITE_TIMEOUT");
        return false;
    default:
        qDebug("CFirmwareUpdate::Write unexpected result %d\n", result);
        return false;
    }
}
