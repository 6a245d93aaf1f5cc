#pragma once

#include "CFirmwarePackage.h"
#include "CUpdateProgress.h"
#include "SFlashSector.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <vector>

class CUSBPort;

// Replaces the device firmware from a package, item by item: erase the sectors the item's layout
// names, then write and verify its image. Every failure and the final outcome are shown as
// messages; the caller keeps its own busy state and progress display around Run.
class CFirmwareUpdate {
public:
    // progressTarget receives the link's CEventBase write progress; it may be null.
    CFirmwareUpdate(CUSBPort &port, CFirmwarePackage &package, CUpdateProgress &progress,
                    QObject *progressTarget);

    // Opens the package, checks it against the connected product and programs every item.
    // True when "M_SUCCESS" was shown.
    bool Run(const QString &strPackagePath);
    // Programs one item from its layout file; shows its own failures.
    bool ProgramDataItem(const QString &strLayoutPath, const uint8_t *image, uint32_t length);

private:
    bool OpenPackage(const QString &strPackagePath);
    bool DeviceAccepts();
    bool ProgramItems(const QString &strLayoutPath);
    bool ProgramItem(uint32_t index, const QString &strLayoutPath);
    bool EraseLeadingSectors(const std::vector<SFlashSector> &sectors, uint32_t count);
    bool Write(const SFlashSector &first, const uint8_t *image, uint32_t length);

    CUSBPort &m_port;
    CFirmwarePackage &m_package;
    CUpdateProgress &m_progress;
    QObject *m_pProgressTarget;
};
