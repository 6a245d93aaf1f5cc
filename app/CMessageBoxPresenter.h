#pragma once

#include "Messages.h"

// Shows each message in a parentless information box titled "Message" with one Ok button; once
// quiet, writes it to stderr instead.
class CMessageBoxPresenter : public CMessagePresenter {
public:
    void Present(const QString &text) override;
    void SetQuiet(bool bQuiet) { m_bQuiet = bQuiet; }

private:
    bool m_bQuiet = false;
};
