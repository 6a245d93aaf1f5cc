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
    // A line of its own making, such as a player's elapsed and total time.
    void ShowText(const QString &text);
    // Ends an open progress line, so that a message printed next starts on a line of its own.
    static void EndLine();

protected:
    void customEvent(QEvent *event) override;

private:
    bool m_bEnabled;
};
