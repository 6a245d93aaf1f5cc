#pragma once

#include "Messages.h"

// While one lives, messages go to the debug log, marked with `context`, instead of to the installed
// presenter: work done a step at a time between the window's events must not open a box, and its
// nested event loop, in the middle of a device request. The work shows what failed in its own way.
class CDebugLogMessages : public CMessagePresenter {
public:
    explicit CDebugLogMessages(const char *context);
    ~CDebugLogMessages() override;
    CDebugLogMessages(const CDebugLogMessages &) = delete;
    CDebugLogMessages &operator=(const CDebugLogMessages &) = delete;
    void Present(const QString &text) override;

private:
    const char *m_szContext;
    CMessagePresenter *m_pPrevious;
};
