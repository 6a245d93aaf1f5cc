#include "BrindleQT.h"
#include "CAudioOutput.h"
#include "COverviewReader.h"
#include "CSongInfoKeeper.h"
#include "CSongPanel.h"
#include "CSongPlayer.h"
#include "CancelRequest.h"
#include "ui_BrindleQT.h"

#include <QEvent>

namespace {

const char *const ICON_SONG = ":/BrindleQT/Resources/Pictures/tone.ico";
const char *const ICON_EMPTY = ":/BrindleQT/Resources/Pictures/toneNone.ico";
const int PROGRESS_EVENT_TYPE = 1008;
const qreal FIRMWARE_PAGE_OPACITY = 0.5;
const int SONG_PAGE = 0;
const int FIRMWARE_PAGE = 1;

} // namespace

BrindleQT::BrindleQT(QWidget *parent)
    : QMainWindow(nullptr), ui(new Ui::BrindleQTClass), m_pUSBPort(new CUSBPort), m_songTable(*m_pUSBPort),
      m_nOperation(OP_NONE), m_nCurRow(-1), m_bDevChanged(false), m_bStopWatcher(false), m_nTimerId(0),
      m_bMonitorBusy(false), m_bCloseWhenIdle(false),
      m_pPreviousPresenter(SetMessagePresenter(&m_messageBoxPresenter))
{
    Q_UNUSED(parent);
    // The images live in a static library, whose resource registration the linker would drop.
    Q_INIT_RESOURCE(BrindleQT);
    ui->setupUi(this);
    ui->progressBar->hide();
    ui->progressBar->setRange(0, 100);
    ui->m_btnStop->hide();
    // Window opacity acts on top-level windows only: the page is drawn like the song page.
    ui->m_tabFirmwareUpdate->setWindowOpacity(FIRMWARE_PAGE_OPACITY);
    FixWindowSize();
    // The download clip starts empty, 16-bit mono at 12000 Hz, until a file is loaded into it.
    m_wave.SetFormat(1, 12000, 16);
    QEvent::registerEventType(PROGRESS_EVENT_TYPE);
    LoadIcons();
    CreateSongListMenu();
    ApplyStyleSheet();
    SetUpAudioFileActions();
    SetUpSongPanel();
    SetUpPlayback();
    CreateStopShortcut();
    CreateShortcuts();
    StartDeviceMonitor();
}

BrindleQT::~BrindleQT()
{
    StopDeviceMonitor();
    m_songTable.SetObserver(nullptr);
    m_pUSBPort->Disconnect();
    SetMessagePresenter(m_pPreviousPresenter);
}

// The fixed-size hint acts on one desktop platform only; the fixed size holds on all of them.
void BrindleQT::FixWindowSize()
{
    setWindowFlags(windowFlags() & ~Qt::WindowMaximizeButtonHint);
    setWindowFlags(windowFlags() | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(size());
}

void BrindleQT::LoadIcons()
{
    m_iconSong.addFile(QString::fromLatin1(ICON_SONG), QSize(), QIcon::Normal, QIcon::On);
    m_iconEmpty.addFile(QString::fromLatin1(ICON_EMPTY), QSize(), QIcon::Normal, QIcon::On);
}

void BrindleQT::ApplyStyleSheet()
{
    const QString separator = QString(8, QLatin1Char('\t')) + QLatin1Char(' ');
    setStyleSheet(QStringLiteral("QWidget#song{background-image: url(Bg1.jpg);}") + separator +
                  QStringLiteral("QWidget#m_tabFirmwareUpdate{background-image: url(Bg3.jpg);}") + separator +
                  QStringLiteral("QMainWindow{background-image: url(Bg2.jpg);}"));
}

void BrindleQT::BeginOperation(int32_t nOperation)
{
    StopPlaying();
    // A stop asked for during the previous operation must not end this one.
    ClearCancel();
    ui->progressBar->setValue(0);
    ui->progressBar->show();
    ui->m_btnStop->show();
    m_nOperation = nOperation;
    ui->propSheet->setTabEnabled(nOperation == OP_UPDATE_FIRMWARE ? SONG_PAGE : FIRMWARE_PAGE, false);
    EnableSongCommands();
}

void BrindleQT::EndOperation()
{
    ui->progressBar->hide();
    ui->m_btnStop->hide();
    if (m_nOperation == OP_UPLOAD || m_nOperation == OP_DOWNLOAD || m_nOperation == OP_BACKUP ||
        m_nOperation == OP_RESTORE)
        ui->propSheet->setTabEnabled(FIRMWARE_PAGE, true);
    else if (m_nOperation == OP_UPDATE_FIRMWARE)
        ui->propSheet->setTabEnabled(SONG_PAGE, true);
    m_nOperation = OP_NONE;
    ClearCancel();
    EnableSongCommands();
    CloseIfAsked();
}

// No operation under way and the looper connected: the device is free for a new request.
bool BrindleQT::IsDeviceIdle() const
{
    return m_nOperation == OP_NONE && m_pUSBPort->State() == LINK_NORMAL;
}

// The command buttons are greyed while an operation runs; then they follow the connection and the row.
void BrindleQT::EnableSongCommands()
{
    EnableCommandButtons(IsDeviceIdle());
    ui->m_songPanel->SetPlayAllowed(m_nOperation == OP_NONE);
    UpdateSongButtons();
}

void BrindleQT::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
}
