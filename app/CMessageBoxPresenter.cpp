#include "CMessageBoxPresenter.h"

#include <QMessageBox>

#include <cstdio>

void CMessageBoxPresenter::Present(const QString &text)
{
    if (m_bQuiet) {
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
        return;
    }
    QMessageBox::information(nullptr, QStringLiteral("Message"), text, QMessageBox::Ok,
                             QMessageBox::NoButton);
}
