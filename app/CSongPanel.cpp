#include "CSongPanel.h"

#include "CSongNames.h"
#include "CWaveformView.h"

#include <QBoxLayout>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
const int MARGIN = 6;
const int SPACING = 8;
const char *const NO_NAME = "No name (double-click or F2 to name it)";
const char *const PLAY = "Play";
const char *const STOP = "Stop";
} // namespace

CSongPanel::CSongPanel(QWidget *parent)
    : QFrame(parent), m_pTitle(new QLabel(this)), m_pName(new QLabel(this)), m_pNameEdit(new QLineEdit(this)),
      m_pFacts(new QLabel(this)), m_pPlay(new QPushButton(QString::fromLatin1(PLAY), this)),
      m_pWaveform(new CWaveformView(this)), m_bHasSong(false), m_bEditing(false), m_bPlayAllowed(true)
{
    setFrameShape(QFrame::StyledPanel);
    QFont bold = font();
    bold.setBold(true);
    m_pTitle->setFont(bold);
    m_pName->setObjectName(QStringLiteral("m_lblSongName"));
    m_pName->installEventFilter(this);
    m_pNameEdit->setObjectName(QStringLiteral("m_editSongName"));
    m_pNameEdit->setMaxLength(CSongNames::MAX_LENGTH);
    m_pNameEdit->installEventFilter(this);
    m_pNameEdit->hide();
    m_pFacts->setObjectName(QStringLiteral("m_lblSongFacts"));
    m_pFacts->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_pPlay->setObjectName(QStringLiteral("m_btnPlay"));
    m_pPlay->setToolTip(QStringLiteral("Play the song on this computer, or stop it (Space)"));
    // The keyboard belongs to the list and Space to the window's shortcut, not to this button.
    m_pPlay->setFocusPolicy(Qt::NoFocus);
    connect(m_pPlay, &QPushButton::clicked, this, &CSongPanel::PlayClicked);
    m_pWaveform->setObjectName(QStringLiteral("m_waveform"));
    connect(m_pNameEdit, &QLineEdit::returnPressed, this, [this] { EndNameEdit(true); });
    LayOut();
    ShowNothing();
}

// A long name is cut at the panel's edge rather than widening the panel.
void CSongPanel::LayOut()
{
    m_pName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto *pNameLine = new QHBoxLayout;
    pNameLine->setSpacing(SPACING);
    pNameLine->addWidget(m_pTitle);
    pNameLine->addWidget(m_pName, 1);
    pNameLine->addWidget(m_pNameEdit, 1);
    pNameLine->addWidget(m_pPlay);
    auto *pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(MARGIN, MARGIN - 2, MARGIN, MARGIN);
    pLayout->setSpacing(2);
    pLayout->addLayout(pNameLine);
    pLayout->addWidget(m_pFacts);
    pLayout->addWidget(m_pWaveform, 1);
}

void CSongPanel::showEvent(QShowEvent *event)
{
    QFrame::showEvent(event);
    emit Shown();
}

void CSongPanel::ShowNothing()
{
    ShowSlotText(QString(), QString());
}

void CSongPanel::ShowSong(const QString &title, const QString &name, const QString &facts)
{
    EndNameEdit(false);
    m_bHasSong = true;
    m_pTitle->setText(title);
    m_strFacts = facts;
    m_pFacts->setText(facts);
    SetName(name);
    EnablePlay();
}

void CSongPanel::ShowSlotText(const QString &title, const QString &text)
{
    EndNameEdit(false);
    m_bHasSong = false;
    m_strName.clear();
    m_pTitle->setText(title);
    m_pName->clear();
    m_strFacts.clear();
    m_pFacts->clear();
    m_pWaveform->SetMessage(text);
    EnablePlay();
}

void CSongPanel::SetPlayAllowed(bool allowed)
{
    m_bPlayAllowed = allowed;
    EnablePlay();
}

void CSongPanel::EnablePlay()
{
    m_pPlay->setEnabled(m_bHasSong && m_bPlayAllowed);
}

bool CSongPanel::CanPlay() const
{
    return m_pPlay->isEnabled();
}

void CSongPanel::SetPlaying(bool playing)
{
    m_pPlay->setText(QString::fromLatin1(playing ? STOP : PLAY));
    m_pFacts->setText(m_strFacts);
}

void CSongPanel::ShowPlayProblem(const QString &text)
{
    m_pFacts->setText(text);
}

void CSongPanel::SetName(const QString &name)
{
    m_strName = name;
    ShowNameLine();
}

void CSongPanel::ShowNameLine()
{
    const bool bNamed = !m_strName.isEmpty();
    m_pName->setText(bNamed ? m_strName : QString::fromLatin1(NO_NAME));
    m_pName->setToolTip(bNamed ? m_strName + QStringLiteral("\nDouble-click or F2 to change the name")
                               : QString());
    QPalette palette = m_pName->palette();
    palette.setColor(QPalette::WindowText,
                     bNamed ? this->palette().text().color() : this->palette().placeholderText().color());
    m_pName->setPalette(palette);
}

void CSongPanel::BeginNameEdit()
{
    if (!m_bHasSong)
        return;
    m_pNameEdit->setText(m_strName);
    m_pNameEdit->selectAll();
    m_bEditing = true;
    m_pNameEdit->show();
    m_pNameEdit->setFocus();
}

// Enter and leaving the field keep the name typed; Escape keeps the old one.
void CSongPanel::EndNameEdit(bool bKeep)
{
    if (!m_bEditing)
        return;
    m_bEditing = false;
    const QString name = CleanSongName(m_pNameEdit->text());
    m_pNameEdit->hide();
    if (bKeep && m_bHasSong && name != m_strName)
        emit NameEdited(name);
}

bool CSongPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_pName && event->type() == QEvent::MouseButtonDblClick) {
        BeginNameEdit();
        return true;
    }
    if (watched == m_pNameEdit && event->type() == QEvent::FocusOut)
        EndNameEdit(true);
    // Escape belongs to the field while it is open, not to the window's stop key.
    if (watched == m_pNameEdit && event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        event->accept();
        return true;
    }
    if (watched == m_pNameEdit && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        EndNameEdit(false);
        return true;
    }
    return QFrame::eventFilter(watched, event);
}
