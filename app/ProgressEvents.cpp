#include "BrindleQT.h"
#include "ui_BrindleQT.h"

#include "CEventBase.h"

#include <QDebug>

// The erase phase of a firmware update moves the bar up to this value itself.
static const int64_t FIRMWARE_WRITE_START = 80;

// The bar value for a progress report in the running operation; -1 where the report moves nothing.
int BrindleQT::ProgressValue(int64_t pos, int64_t total) const
{
    if (total <= 0 || pos < 0 || pos > total)
        return -1;
    switch (m_nOperation) {
    case OP_UPLOAD:
    case OP_DOWNLOAD:
    case OP_BACKUP:
    case OP_RESTORE:
        return static_cast<int>(pos * 100 / total);
    case OP_UPDATE_FIRMWARE:
        return static_cast<int>(FIRMWARE_WRITE_START + pos * (100 - FIRMWARE_WRITE_START) / total);
    default:
        return -1;
    }
}

void BrindleQT::customEvent(QEvent *event)
{
    if (event->type() != CEventBase::EVENT_TYPE)
        return;
    const auto *pProgress = static_cast<const CEventBase *>(event);
    const int nValue = ProgressValue(pProgress->pos, pProgress->total);
    if (nValue < 0 || nValue == ui->progressBar->value())
        return;
    if (m_nOperation == OP_DOWNLOAD)
        qDebug("nNewPos=%d Param1=%lld, param2=%lld", nValue, static_cast<long long>(pProgress->pos),
               static_cast<long long>(pProgress->total));
    ui->progressBar->setValue(nValue);
}
