#pragma once

#include "Messages.h"

#include <QStringList>

// Collects the texts the core shows, for tests without a window; installs itself while it lives.
class CRecordingPresenter : public CMessagePresenter {
public:
    CRecordingPresenter() : m_pPrevious(SetMessagePresenter(this)) {}
    ~CRecordingPresenter() override { SetMessagePresenter(m_pPrevious); }

    void Present(const QString &text) override { texts.append(text); }
    QStringList Take()
    {
        QStringList taken = texts;
        texts.clear();
        return taken;
    }

    QStringList texts;

private:
    CMessagePresenter *m_pPrevious;
};
