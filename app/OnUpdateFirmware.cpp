#include "BrindleQT.h"
#include "CFirmwareUpdate.h"
#include "Messages.h"
#include "ui_BrindleQT.h"

namespace {
// The erase phase drives the bar directly; the write phase arrives as progress events.
class CProgressBarUpdate : public CUpdateProgress {
public:
    explicit CProgressBarUpdate(QProgressBar &bar) : m_bar(bar) {}
    void SetBar(int value) override { m_bar.setValue(value); }

private:
    QProgressBar &m_bar;
};
} // namespace

void BrindleQT::OnUpdateFirmware()
{
    if (m_nOperation != OP_NONE)
        return;
    const QString strPath = ui->m_editPath->text();
    if (strPath.isEmpty()) {
        ShowMessageF("M_NO_UPDATE_FILE_SELECTED");
        return;
    }
    BeginOperation(OP_UPDATE_FIRMWARE);
    CProgressBarUpdate bar(*ui->progressBar);
    CFirmwareUpdate(*m_pUSBPort, m_firmware, bar, this).Run(strPath);
    EndOperation();
}
