#pragma once

#include "CEventBase.h"

#include <QObject>

// Shows the progress events of long device work as a percentage on stderr, when stderr is a
// terminal and the user did not ask for quiet.
class CTerminalProgress : public QObject {
public:
    explicit CTerminalProgress(bool quiet);
    ~CTerminalProgress() override;
    // For work whose events count something else than the whole (the firmware update's phases).
    void Show(int percent);

protected:
    void customEvent(QEvent *event) override;

private:
    bool m_bEnabled;
    bool m_bShown;
};
