#include "CDialogAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>

namespace {
const int POLL_MS = 20;
}

CDialogAnswerer::SAnswer CDialogAnswerer::Press(QMessageBox::StandardButton nButton)
{
    return {SAnswer::PRESS, nButton, QString()};
}

CDialogAnswerer::SAnswer CDialogAnswerer::ChooseFile(const QString &strPath)
{
    return {SAnswer::CHOOSE_FILE, QMessageBox::NoButton, strPath};
}

CDialogAnswerer::SAnswer CDialogAnswerer::CancelFile()
{
    return {SAnswer::CANCEL_FILE, QMessageBox::NoButton, QString()};
}

CDialogAnswerer::SAnswer CDialogAnswerer::ChooseItem(int nItem)
{
    return {SAnswer::CHOOSE_ITEM, QMessageBox::NoButton, QString(), nItem};
}

CDialogAnswerer::CDialogAnswerer()
{
    // Modal dialogs run nested event loops, so the timer fires while the program waits on one.
    connect(&m_timer, &QTimer::timeout, this, &CDialogAnswerer::Poll);
    m_timer.start(POLL_MS);
}

void CDialogAnswerer::Expect(const SAnswer &answer)
{
    m_lstExpected.append(answer);
}

bool CDialogAnswerer::WaitForAll(int nTimeoutMs)
{
    QDeadlineTimer deadline(nTimeoutMs);
    while (!m_lstExpected.isEmpty() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, POLL_MS);
    if (m_lstExpected.isEmpty())
        return true;
    m_lstFailures.append(QStringLiteral("%1 expected dialog(s) never appeared").arg(m_lstExpected.size()));
    m_lstExpected.clear();
    return false;
}

QStringList CDialogAnswerer::SeenTexts() const
{
    QStringList lstTexts;
    for (const SSeenDialog &seen : m_lstSeen)
        lstTexts.append(seen.strText);
    return lstTexts;
}

void CDialogAnswerer::Reset()
{
    m_lstSeen.clear();
    m_lstFailures.clear();
}

void CDialogAnswerer::Poll()
{
    QWidget *pDialog = QApplication::activeModalWidget();
    // An answered dialog hides at once; one that stays up (a refused file name) counts as a new one.
    if (!pDialog || !pDialog->isVisible() || m_pAccepting)
        return;
    Answer(pDialog);
}

void CDialogAnswerer::Answer(QWidget *pDialog)
{
    auto *pFileDialog = qobject_cast<QFileDialog *>(pDialog);
    auto *pBox = qobject_cast<QMessageBox *>(pDialog);
    auto *pList = qobject_cast<QInputDialog *>(pDialog);
    SSeenDialog seen{pDialog->windowTitle(), pList ? pList->textValue() : QString(), QString(),
                     QMessageBox::NoButton, pDialog->parentWidget() != nullptr};
    if (pBox) {
        seen.strText = pBox->text();
        seen.nButtons = pBox->standardButtons();
    }
    if (pFileDialog) {
        seen.strDirectory = pFileDialog->directory().absolutePath();
        if (auto *pName = pFileDialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            seen.strText = pName->text();
    }
    m_lstSeen.append(seen);
    if (m_lstExpected.isEmpty()) {
        Dismiss(pDialog, QStringLiteral("unexpected dialog"));
        return;
    }
    const SAnswer answer = m_lstExpected.takeFirst();
    if (pFileDialog)
        AnswerFileDialog(pFileDialog, answer);
    else if (pBox)
        AnswerMessageBox(pBox, answer);
    else if (pList)
        AnswerListDialog(pList, answer);
    else
        Dismiss(pDialog, QStringLiteral("dialog of an unknown kind"));
}

void CDialogAnswerer::AnswerMessageBox(QMessageBox *pBox, const SAnswer &answer)
{
    QAbstractButton *pButton = answer.nKind == SAnswer::PRESS ? pBox->button(answer.nButton) : nullptr;
    if (!pButton) {
        Dismiss(pBox, QStringLiteral("message box without the expected button"));
        return;
    }
    pButton->click();
}

void CDialogAnswerer::AnswerFileDialog(QFileDialog *pDialog, const SAnswer &answer)
{
    if (answer.nKind == SAnswer::PRESS) {
        Dismiss(pDialog, QStringLiteral("file dialog where a message box was expected"));
        return;
    }
    if (answer.nKind == SAnswer::CANCEL_FILE) {
        pDialog->reject();
        return;
    }
    // Typed into the name field and confirmed, so the dialog's own checks (missing file, overwrite) apply.
    // selectFile would leave a focused name field untouched.
    if (auto *pName = pDialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        pName->setText(answer.strPath);
    else
        pDialog->selectFile(answer.strPath);
    // Confirmed from the event loop rather than inside this poll: a question the dialog asks then
    // (replace the file?) runs a loop of its own, in which the next polls must answer it.
    m_pAccepting = pDialog;
    QTimer::singleShot(0, pDialog, [this, pDialog] {
        m_pAccepting.clear();
        static_cast<QDialog *>(pDialog)->accept();
    });
}

void CDialogAnswerer::AnswerListDialog(QInputDialog *pDialog, const SAnswer &answer)
{
    if (answer.nKind != SAnswer::CHOOSE_ITEM || answer.nItem >= pDialog->comboBoxItems().size()) {
        Dismiss(pDialog, QStringLiteral("list dialog without the expected item"));
        return;
    }
    pDialog->setTextValue(pDialog->comboBoxItems().at(answer.nItem));
    pDialog->accept();
}

void CDialogAnswerer::Dismiss(QWidget *pDialog, const QString &strWhy)
{
    m_lstFailures.append(
        QStringLiteral("%1: \"%2\" %3").arg(strWhy, m_lstSeen.last().strTitle, m_lstSeen.last().strText));
    if (auto *pBox = qobject_cast<QDialog *>(pDialog))
        pBox->reject();
    else
        pDialog->close();
}
