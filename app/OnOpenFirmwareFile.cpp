#include "BrindleQT.h"
#include "ui_BrindleQT.h"

#include "Settings.h"

#include <QFileDialog>

void BrindleQT::OnOpenFirmwareFile()
{
    const QString strKey = QStringLiteral("/Config/FirmwareDir");
    const QString strPath =
        QFileDialog::getOpenFileName(this, QStringLiteral("Open firmware file"), ReadConfigValue(strKey),
                                     QStringLiteral("DAT Files(*.dat)"));
    if (strPath.isEmpty())
        return;
    WriteConfigValue(strKey, GetFileDir(strPath));
    ui->m_editPath->setText(strPath);
}
