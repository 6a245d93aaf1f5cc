#include "CEventBase.h"

#include <QCoreApplication>

CEventBase::~CEventBase() = default;

void PostProgress(QObject *target, int64_t pos, int64_t total)
{
    if (target)
        QCoreApplication::postEvent(target, new CEventBase(pos, total), Qt::NormalEventPriority);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
