#include "CDebugLogMessages.h"

#include <QDebug>

CDebugLogMessages::CDebugLogMessages(const char *context)
    : m_szContext(context), m_pPrevious(SetMessagePresenter(this))
{
}

CDebugLogMessages::~CDebugLogMessages()
{
    SetMessagePresenter(m_pPrevious);
}

void CDebugLogMessages::Present(const QString &text)
{
    qDebug("%s: %s", m_szContext, qPrintable(text));
}
