#include "BrindleQT.h"
#include "CAudioOutput.h"
#include "CDebugLogMessages.h"
#include "CSongInfoKeeper.h"
#include "CSongPanel.h"
#include "CSongPlayer.h"
#include "CWaveformView.h"
#include "SlotSongSource.h"
#include "ui_BrindleQT.h"

#include <QShortcut>

namespace {
// Once the song is read the output only needs topping up now and then.
const int TOP_UP_MS = 15;

} // namespace

void BrindleQT::SetUpPlayback()
{
    m_playTimer.setSingleShot(true);
    connect(&m_playTimer, &QTimer::timeout, this, &BrindleQT::OnPlayStep);
    connect(ui->m_songPanel, &CSongPanel::PlayClicked, this, &BrindleQT::OnPlaySong);
    connect(new QShortcut(QKeySequence(Qt::Key_Space), this), &QShortcut::activated, this, [this] {
        if (OnSongPage() && ui->m_songPanel->CanPlay())
            OnPlaySong();
    });
}

void BrindleQT::OnPlaySong()
{
    if (m_pPlayer)
        StopPlaying();
    else if (m_nOperation == OP_NONE && m_panelIdentity.IsValid())
        StartPlaying();
}

void BrindleQT::StartPlaying()
{
    const uint32_t nSlot = uint32_t(m_nCurRow);
    QString strProblem;
    if (!OpenAudioOutput(strProblem)) {
        ui->m_songPanel->ShowPlayProblem(strProblem);
        return;
    }
    bool bFromCache = false;
    m_pPlayer = std::make_unique<CSongPlayer>(
        SlotSongSource(*m_pUSBPort, m_songTable, m_pSongInfo->Cache(), nSlot, 0, &bFromCache),
        *m_pAudioOutput);
    if (!m_pPlayer->Play(strProblem)) {
        m_pPlayer.reset();
        ui->m_songPanel->ShowPlayProblem(strProblem);
        return;
    }
    m_nPlaySlot = nSlot;
    m_pPlayStore = m_songTable.Store(nSlot);
    m_bPlayFromLooper = !bFromCache;
    ui->m_songPanel->SetPlaying(true);
    m_playTimer.start(0);
}

// Opened on the first Play only (it takes a good part of a second), then kept for every song. The
// window has no options: the variables choose as they do for the command line.
bool BrindleQT::OpenAudioOutput(QString &strProblem)
{
    if (m_pAudioOutput)
        return true;
    auto pOutput = std::make_unique<CAudioOutput>();
    if (!pOutput->Open(AudioOutputChoice(QString(), qEnvironmentVariable("BRINDLE_AUDIO_DEVICE")),
                       strProblem))
        return false;
    m_pAudioOutput = std::move(pOutput);
    return true;
}

// The sound stops at once; the read, which goes one request per step, stops with it.
void BrindleQT::StopPlaying()
{
    if (!m_pPlayer)
        return;
    m_pPlayer->Stop();
    EndPlaying();
}

// After a failure the output may be gone with its audio service: the next Play opens it anew.
void BrindleQT::EndPlaying()
{
    const bool bFailed = m_pPlayer->State() == PLAY_FAILED;
    const QString strFailure = m_pPlayer->FailureText();
    m_playTimer.stop();
    m_pPlayer.reset();
    if (bFailed)
        m_pAudioOutput.reset();
    ui->m_songPanel->SetPlaying(false);
    ui->m_songPanel->Waveform()->SetPlayCursor(-1);
    if (bFailed)
        ui->m_songPanel->ShowPlayProblem(strFailure);
}

// The device link is the GUI thread's: a read goes out only from the event loop's own turn, with
// no operation or connection check under way.
bool BrindleQT::PlayMayRead() const
{
    return IsDeviceIdle() && !m_bMonitorBusy;
}

void BrindleQT::OnPlayStep()
{
    if (!m_pPlayer)
        return;
    if (m_bPlayFromLooper && m_pPlayer->Reading()) {
        // Whatever reloads the table stops playing first; should anything not, the read ends here.
        if (m_songTable.Store(m_nPlaySlot) != m_pPlayStore ||
            m_pSongInfo->Identity(m_nPlaySlot) != m_panelIdentity) {
            StopPlaying();
            return;
        }
        if (!PlayMayRead()) {
            m_playTimer.start(TOP_UP_MS);
            return;
        }
    }
    const bool bWasReading = m_pPlayer->Reading();
    EPlayState nState = PLAY_RUNNING;
    {
        CDebugLogMessages quiet("playing");
        nState = m_pPlayer->Step();
    }
    ui->m_songPanel->Waveform()->SetPlayCursor(m_pPlayer->PositionSeconds());
    if (m_bPlayFromLooper && bWasReading && !m_pPlayer->Reading())
        KeepPlayedSong();
    if (nState != PLAY_RUNNING) {
        EndPlaying();
        return;
    }
    m_playTimer.start(m_pPlayer->Reading() ? 0 : TOP_UP_MS);
}

// A song read whole while it played is kept, so that its waveform is exact and the next Play reads
// nothing from the looper; a read that stopped or failed short of the end keeps nothing.
void BrindleQT::KeepPlayedSong()
{
    const std::vector<uint8_t> &song = m_pPlayer->ReadBytes();
    if (song.size() != m_pPlayStore->GetSize())
        return;
    ShowKeptPeaks(m_nPlaySlot,
                  m_pSongInfo->KeepWholeSong(m_panelIdentity, song.data(), uint32_t(song.size())));
}
