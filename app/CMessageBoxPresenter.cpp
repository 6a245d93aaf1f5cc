#include "CMessageBoxPresenter.h"

#include <QMessageBox>

void CMessageBoxPresenter::Present(const QString &text)
{
    QMessageBox::information(nullptr, QStringLiteral("Message"), text, QMessageBox::Ok,
                             QMessageBox::NoButton);
}
