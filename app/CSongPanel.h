#pragma once

#include <QFrame>

class CWaveformView;
class QLabel;
class QLineEdit;
class QPushButton;

// What the window knows of the selected slot's song: its title and name (double-click the name to
// change it), its length, size and blocks, and its waveform; for an empty or damaged slot a line
// that says so and what can be done. Its Play button turns into Stop while the song plays.
class CSongPanel : public QFrame {
    Q_OBJECT

public:
    explicit CSongPanel(QWidget *parent = nullptr);

    // No slot selected, or no looper.
    void ShowNothing();
    // A slot holding a song: `facts` is its length, size and blocks; the waveform comes separately.
    void ShowSong(const QString &title, const QString &name, const QString &facts);
    // An empty or damaged slot: `text` in place of the waveform.
    void ShowSlotText(const QString &title, const QString &text);
    void SetName(const QString &name);
    // Opens the name for editing (a slot holding a song only).
    void BeginNameEdit();
    CWaveformView *Waveform() const { return m_pWaveform; }
    // Play is offered for a slot holding a song while `allowed` (no operation running).
    void SetPlayAllowed(bool allowed);
    void SetPlaying(bool playing);
    bool CanPlay() const;
    // Why Play did not play, in place of the song's facts until the next Play or song.
    void ShowPlayProblem(const QString &text);

signals:
    // The user confirmed a new name (empty: no name).
    void NameEdited(const QString &name);
    // The panel came into view: work that waits for it may go on.
    void Shown();
    void PlayClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void LayOut();
    void EndNameEdit(bool bKeep);
    void ShowNameLine();
    void EnablePlay();

    QLabel *m_pTitle;
    QLabel *m_pName;
    QLineEdit *m_pNameEdit;
    QLabel *m_pFacts;
    QPushButton *m_pPlay;
    CWaveformView *m_pWaveform;
    QString m_strName;
    QString m_strFacts;
    bool m_bHasSong;
    bool m_bEditing;
    bool m_bPlayAllowed;
};
