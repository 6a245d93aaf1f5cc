#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

class QFileDialog;
class QInputDialog;

// Answers the program's modal dialogs as a person would. Expected answers are queued in order;
// each modal dialog that appears takes the next one. A dialog nobody expected, or one that does
// not fit its answer, is closed and noted as a failure, so a test never hangs on a box.
class CDialogAnswerer : public QObject {
public:
    struct SAnswer {
        enum EKind { PRESS, CHOOSE_FILE, CANCEL_FILE, CHOOSE_ITEM };
        EKind nKind;
        QMessageBox::StandardButton nButton;
        QString strPath;
        // For CHOOSE_ITEM: the item of a list dialog, from 0.
        int nItem = 0;
    };
    struct SSeenDialog {
        QString strTitle;
        // A message box's text; for a file dialog the name in its file name field; for a list
        // dialog the item chosen when it appeared.
        QString strText;
        // For a file dialog: the directory it opened in.
        QString strDirectory;
        // For a message box: the buttons it offered.
        QMessageBox::StandardButtons nButtons;
        bool bHasParent;
    };

    static SAnswer Press(QMessageBox::StandardButton nButton);
    static SAnswer ChooseFile(const QString &strPath);
    static SAnswer CancelFile();
    static SAnswer ChooseItem(int nItem);

    CDialogAnswerer();

    void Expect(const SAnswer &answer);
    // Processes events until every expected answer was given; false (and a failure noted) on time-out.
    bool WaitForAll(int nTimeoutMs = 10000);
    int PendingCount() const { return m_lstExpected.size(); }
    const QList<SSeenDialog> &Seen() const { return m_lstSeen; }
    QStringList SeenTexts() const;
    const QStringList &Failures() const { return m_lstFailures; }
    // Forgets what was seen and failed, for the next step of a test.
    void Reset();

private:
    void Poll();
    void Answer(QWidget *pDialog);
    void AnswerMessageBox(QMessageBox *pBox, const SAnswer &answer);
    void AnswerFileDialog(QFileDialog *pDialog, const SAnswer &answer);
    void AnswerListDialog(QInputDialog *pDialog, const SAnswer &answer);
    void Dismiss(QWidget *pDialog, const QString &strWhy);

    QTimer m_timer;
    QList<SAnswer> m_lstExpected;
    QList<SSeenDialog> m_lstSeen;
    QStringList m_lstFailures;
    // A file dialog whose answer is about to be confirmed.
    QPointer<QFileDialog> m_pAccepting;
};
