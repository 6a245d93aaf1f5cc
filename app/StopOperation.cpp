#include "BrindleQT.h"
#include "CancelRequest.h"
#include "Messages.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QShortcut>
#include <QTimer>

namespace {
const char *const STOP_TITLE = "Transfer in progress";
const char *const STOP_QUESTION = "A transfer is running. Stop it and quit?";
} // namespace

void BrindleQT::CreateStopShortcut()
{
    auto *pShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(pShortcut, &QShortcut::activated, this, &BrindleQT::OnStopOperation);
}

// Yes asks the running work to stop at its next device request; a firmware update past its first
// erase cannot stop, and says so instead of asking.
bool BrindleQT::AskStopOperation()
{
    if (const char *pRefusal = CancelRefusal()) {
        QMessageBox::information(nullptr, STOP_TITLE, QString::fromUtf8(pRefusal), QMessageBox::Ok,
                                 QMessageBox::NoButton);
        return false;
    }
    if (QMessageBox::question(nullptr, STOP_TITLE, STOP_QUESTION, QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) != QMessageBox::Yes)
        return false;
    RequestCancel(0);
    return true;
}

// A firmware update is not a transfer the user would stop with Escape; closing still says why it
// cannot stop. A song playing stops without a question: nothing is lost.
void BrindleQT::OnStopOperation()
{
    if (m_nOperation == OP_NONE)
        StopPlaying();
    else if (m_nOperation != OP_UPDATE_FIRMWARE)
        AskStopOperation();
}

// A firmware update says why it cannot stop; anything else is asked as Escape asks.
void BrindleQT::OnStopButton()
{
    if (m_nOperation != OP_NONE)
        AskStopOperation();
}

// The work runs inside the slot that started it, below this event: the window closes once it has
// ended (EndOperation), never under its feet. Whatever the stopped work still has to say goes to
// stderr: the user has asked to quit, and a box would keep the window open.
void BrindleQT::closeEvent(QCloseEvent *event)
{
    if (m_nOperation == OP_NONE)
        return;
    event->ignore();
    if (!AskStopOperation())
        return;
    m_bCloseWhenIdle = true;
    SetMessagePresenter(nullptr);
}

// Ctrl-C in the terminal that started the window, or the session ending: the running work stops at
// its next request as if Yes was answered (a firmware update refuses and finishes), then the window
// closes and the program ends normally, so that what it keeps is saved.
void BrindleQT::QuitWhenIdle(int nSignal)
{
    if (m_nOperation == OP_NONE) {
        close();
        return;
    }
    RequestCancel(nSignal);
    m_bCloseWhenIdle = true;
    SetMessagePresenter(nullptr);
}

void BrindleQT::CloseIfAsked()
{
    if (m_bCloseWhenIdle)
        QTimer::singleShot(0, this, &QWidget::close);
}
