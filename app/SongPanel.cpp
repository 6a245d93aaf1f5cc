#include "BrindleQT.h"
#include "COverviewReader.h"
#include "CSongInfoKeeper.h"
#include "CSongPanel.h"
#include "CStorageBar.h"
#include "CWaveformView.h"
#include "DamagedSlots.h"
#include "Messages.h"
#include "SongLength.h"
#include "StorageUse.h"
#include "ui_BrindleQT.h"

#include <QApplication>

namespace {
// How often a waiting overview looks again whether the device is free.
const int OVERVIEW_WAIT_MS = 100;
const char *const READING = "Reading the waveform…";
const char *const UNREADABLE = "The waveform could not be read.";
const char *const EMPTY_SLOT = "Empty. Drop an audio file on its row, or use Import…, to put a song in it.";

// What the list says of a damaged slot, and what can be done about it.
QString DamagedSlotText(const CLooperSongTable &table, uint32_t nSlot)
{
    if (table.SongRecoverable(nSlot))
        return DamagedRowText(table, nSlot) +
               QStringLiteral(", previous version recoverable.\nRight-click its row to repair or delete it.");
    return DamagedRowText(table, nSlot) + QStringLiteral(".\nRight-click its row to delete it.");
}
} // namespace

void BrindleQT::SetUpSongPanel()
{
    m_pSongInfo.reset(new CSongInfoKeeper(m_songTable, *m_pUSBPort, true));
    m_songTable.SetObserver(m_pSongInfo.get());
    // A song read whole (upload, export, backup) shows its exact waveform at once.
    m_pSongInfo->SetKeptCallback(
        [this](uint32_t nSlot, const SSongPeaks &peaks) { ShowKeptPeaks(nSlot, peaks); });
    connect(ui->m_songPanel, &CSongPanel::NameEdited, this, &BrindleQT::OnSongNameEdited);
    connect(ui->m_songPanel, &CSongPanel::Shown, this, [this] { m_overviewTimer.start(0); });
    m_overviewTimer.setSingleShot(true);
    connect(&m_overviewTimer, &QTimer::timeout, this, &BrindleQT::OnOverviewStep);
}

void BrindleQT::ShowKeptPeaks(uint32_t nSlot, const SSongPeaks &peaks)
{
    if (int32_t(nSlot) == m_nCurRow && m_pSongInfo->Identity(nSlot) == m_panelIdentity) {
        m_pOverview.reset();
        ui->m_songPanel->Waveform()->SetPeaks(
            peaks, SongSeconds(m_songTable.Store(nSlot)->GetSize(), m_songTable.Geometry()));
    }
}

// The panel follows the selected row; a song's waveform comes from the cache or, step by step,
// from the looper. Whatever was being read or played for the previous row is dropped.
void BrindleQT::UpdateSongPanel()
{
    StopPlaying();
    m_pOverview.reset();
    m_panelIdentity = SSongIdentity();
    const uint32_t nSlot = uint32_t(m_nCurRow);
    const CLooperSongBase *pStore = m_songTable.Store(nSlot);
    const QString strTitle = SongTitle(nSlot);
    if (m_pUSBPort->State() != LINK_NORMAL || m_nCurRow < 0 || !pStore)
        ui->m_songPanel->ShowNothing();
    else if (IsDamagedRow(m_nCurRow))
        ui->m_songPanel->ShowSlotText(strTitle, DamagedSlotText(m_songTable, nSlot));
    else if (!pStore->HasSong())
        ui->m_songPanel->ShowSlotText(strTitle, QString::fromUtf8(EMPTY_SLOT));
    else
        ShowSong(strTitle, nSlot, *pStore);
}

// "Song 001" for the first slot.
QString BrindleQT::SongTitle(uint32_t nSlot)
{
    return QString::asprintf("Song %.3u", nSlot + 1);
}

void BrindleQT::ShowSong(const QString &strTitle, uint32_t nSlot, const CLooperSongBase &store)
{
    m_panelIdentity = m_pSongInfo->Identity(nSlot);
    const uint32_t nSize = store.GetSize();
    const QString strFacts = QStringLiteral("%1    %2 bytes (%3 MB)    %4 blocks")
                                 .arg(SongLengthText(nSize, m_songTable.Geometry()))
                                 .arg(nSize)
                                 .arg(nSize / 1048576.0, 0, 'f', 2)
                                 .arg(store.GetBlockCount());
    ui->m_songPanel->ShowSong(strTitle, m_pSongInfo->Names().Name(m_panelIdentity), strFacts);
    ShowSongWaveform(m_panelIdentity, SongSeconds(nSize, m_songTable.Geometry()));
}

void BrindleQT::ShowSongWaveform(const SSongIdentity &identity, double dSeconds)
{
    SSongPeaks peaks;
    if (m_pSongInfo->Cache().LoadPeaks(identity, peaks)) {
        ui->m_songPanel->Waveform()->SetPeaks(peaks, dSeconds);
        return;
    }
    ui->m_songPanel->Waveform()->SetMessage(QString::fromUtf8(READING));
    m_pOverview.reset(new COverviewReader(m_songTable, uint32_t(m_nCurRow), identity));
    m_overviewTimer.start(0);
}

// An overview is no work the user asked for: it also waits while a dialog is open.
bool BrindleQT::OverviewMayRead() const
{
    return PlayMayRead() && !QApplication::activeModalWidget();
}

void BrindleQT::OnOverviewStep()
{
    // A panel out of sight reads nothing; it goes on when it shows again.
    if (!m_pOverview || !ui->m_songPanel->isVisible())
        return;
    if (!OverviewMayRead()) {
        m_overviewTimer.start(OVERVIEW_WAIT_MS);
        return;
    }
    const COverviewReader::EStep nStep = m_pOverview->Step(m_songTable);
    if (nStep == COverviewReader::STEP_MORE) {
        m_overviewTimer.start(0);
        return;
    }
    const std::unique_ptr<COverviewReader> pReader = std::move(m_pOverview);
    if (nStep == COverviewReader::STEP_DONE)
        FinishOverview(*pReader);
    else
        ui->m_songPanel->Waveform()->SetMessage(QString::fromUtf8(UNREADABLE));
}

// A song read whole has its exact peaks computed once, as it is kept.
void BrindleQT::FinishOverview(const COverviewReader &reader)
{
    const std::vector<uint8_t> &song = reader.SongBytes();
    if (song.empty()) {
        m_pSongInfo->Cache().StorePeaks(reader.Identity(), reader.Peaks());
        ShowKeptPeaks(reader.Slot(), reader.Peaks());
    } else {
        ShowKeptPeaks(reader.Slot(),
                      m_pSongInfo->KeepWholeSong(reader.Identity(), song.data(), uint32_t(song.size())));
    }
}

void BrindleQT::OnNameSong()
{
    if (OnSongPage() && m_panelIdentity.IsValid())
        ui->m_songPanel->BeginNameEdit();
}

void BrindleQT::OnSongNameEdited(const QString &strName)
{
    QString strError;
    if (!m_pSongInfo->Names().SetName(m_panelIdentity, strName, strError)) {
        ShowMessage(strError);
        return;
    }
    ui->m_songPanel->SetName(m_pSongInfo->Names().Name(m_panelIdentity));
}

void BrindleQT::UpdateStorageBar()
{
    if (m_pUSBPort->State() != LINK_NORMAL || m_songTable.StoreCount() == 0) {
        ui->m_storageBar->Clear();
        return;
    }
    const uint32_t nTotal = m_songTable.Geometry().dataBlockCount;
    const uint32_t nFree = FreeBlockCount(m_songTable);
    ui->m_storageBar->SetUsage(nTotal - nFree, nTotal, FreeSpaceLine(m_songTable));
}
