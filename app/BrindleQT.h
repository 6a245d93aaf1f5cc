#pragma once

#include "CFirmwarePackage.h"
#include "CLooperSongTable.h"
#include "CMessageBoxPresenter.h"
#include "SSongIdentity.h"
#include "CUSBPort.h"
#include "CWave.h"

#include <QIcon>
#include <QMainWindow>
#include <QTimer>

#include <atomic>
#include <memory>
#include <thread>

class CAudioOutput;
class COverviewReader;
class CLooperSongBase;
class CSongInfoKeeper;
class CSongPlayer;
struct SSongPeaks;
class QDropEvent;
class QMenu;

namespace Ui {
class BrindleQTClass;
}

// The long operation in progress; at most one runs at a time.
enum : int32_t {
    OP_UPLOAD = 0,
    OP_DOWNLOAD = 1,
    OP_UPDATE_FIRMWARE = 2,
    OP_NONE = 3,
    OP_BACKUP = 4,
    OP_RESTORE = 5,
};

// The main window: owns the device link and every long-lived object, and carries the commands as
// slots. Long operations run synchronously inside their slot and keep the window alive by
// processing events; m_nOperation keeps a second one from starting meanwhile.
class BrindleQT : public QMainWindow {
    Q_OBJECT

public:
    explicit BrindleQT(QWidget *parent = nullptr);
    ~BrindleQT() override;

    // Operation bookkeeping: value 0 and shown bar, the kind noted, the other command group's page disabled.
    void BeginOperation(int32_t nOperation);
    void EndOperation();
    int32_t Operation() const { return m_nOperation; }
    int32_t CurrentRow() const { return m_nCurRow; }
    CUSBPort &USBPort() { return *m_pUSBPort; }
    // The program was asked by a signal to end: stops the running work, then closes the window.
    void QuitWhenIdle(int nSignal);

protected slots:
    void OnOpenFirmwareFile();
    void OnUpdateFirmware();
    void OnUploadSong();
    void OnDownloadSong();
    void OnDeleteSong();
    void OnRepairSong();
    void OnBackupSongs();
    void OnRestoreSongs();
    void currentRowChanged(int currentRow);
    // The song list's context menu (SongListMenu.cpp).
    void OnSongListMenu(const QPoint &pos);
    // Audio files in any common format (AudioFileActions.cpp).
    void OnImportAudioFile();
    void OnExportAudioFile();
    // Escape during a long operation (StopOperation.cpp).
    void OnStopOperation();
    // The Stop button beside the progress bar.
    void OnStopButton();
    // The song panel (SongPanel.cpp): F2 opens the selected song's name for editing.
    void OnNameSong();
    void OnSongNameEdited(const QString &strName);
    // One device request of the selected song's waveform overview.
    void OnOverviewStep();

protected:
    void timerEvent(QTimerEvent *event) override;
    void customEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void LoadIcons();
    void ApplyStyleSheet();
    void FixWindowSize();
    void CreateStopShortcut();
    void CreateShortcuts();
    bool OnSongPage() const;
    void EnableSongCommands();
    bool IsDeviceIdle() const;
    bool AskStopOperation();
    void CloseIfAsked();

    // Connection monitor.
    void StartDeviceMonitor();
    void StopDeviceMonitor();
    void OnDeviceTimer();
    void DetectDevice();
    bool TryPortPair(uint32_t nOutput, uint32_t nInput);
    void OnConnectionChanged(bool bConnected);
    void UpdateWindowTitle();
    void EnableCommandButtons(bool bEnabled);

    int ProgressValue(int64_t pos, int64_t total) const;

    // Song list.
    void CreateSongListMenu();
    void AddDamagedRowActions(QMenu &menu);
    QString ChooseBackupFolder(const QString &strTitle);
    bool ConfirmRestore(const std::vector<uint32_t> &occupied);
    void LoadSongList();
    int32_t ReloadSongTable();
    bool IsDamagedRow(int32_t nRow) const;
    bool RefuseWhileDamaged();
    void InitTreeFromMicData();
    void FillSongList(int32_t nRow);
    void UpdateSongButtons();
    QString RowText(uint32_t nSlot) const;
    bool ConfirmOverwrite();
    void SetUpAudioFileActions();
    bool TakeAudioFileDrop(QDropEvent *pDrop, int nRow);
    void ImportAudioFile(int32_t nRow, const QString &strPath);

    // Songs moved and swapped between slots, records only: rows dragged onto rows, or a slot asked
    // for from the context menu (SongArrange.cpp).
    void OnMoveSong();
    void OnSwapSong();
    void SetUpSongArrangement();
    void AddArrangeActions(QMenu &menu, bool bRowOk);
    bool CanArrange() const;
    bool TakeSongRowDrop(QDropEvent *pDrop, int nTo);
    bool AskArrangeSlot(const char *szTitle, const QString &strLabel, uint32_t &nSlot);
    void ArrangeSongs(uint32_t nFrom, uint32_t nTo, bool bSwap);

    // Song panel and storage bar.
    void SetUpSongPanel();
    void UpdateSongPanel();
    static QString SongTitle(uint32_t nSlot);
    void ShowSong(const QString &strTitle, uint32_t nSlot, const CLooperSongBase &store);
    void ShowSongWaveform(const SSongIdentity &identity, double dSeconds);
    void FinishOverview(const COverviewReader &reader);
    bool OverviewMayRead() const;
    void UpdateStorageBar();

    std::unique_ptr<Ui::BrindleQTClass> ui;
    std::unique_ptr<CUSBPort> m_pUSBPort;
    CLooperSongTable m_songTable;
    CWave m_wave;
    CFirmwarePackage m_firmware;
    int32_t m_nOperation;
    int32_t m_nCurRow;
    QIcon m_iconSong;
    QIcon m_iconEmpty;
    std::unique_ptr<std::thread> m_pThread;
    std::atomic<bool> m_bDevChanged;
    std::atomic<bool> m_bStopWatcher;
    int m_nTimerId;
    bool m_bMonitorBusy;
    // Set when the user chose to stop the running work and quit: the window closes once it ends.
    bool m_bCloseWhenIdle;
    CMessageBoxPresenter m_messageBoxPresenter;
    CMessagePresenter *m_pPreviousPresenter;
    // What the computer keeps about songs: names, waveforms, song bytes.
    std::unique_ptr<CSongInfoKeeper> m_pSongInfo;
    // The overview being read for the song panel, one request per timer step; null when none.
    std::unique_ptr<COverviewReader> m_pOverview;
    QTimer m_overviewTimer;
    // The song the panel shows; invalid for none.
    SSongIdentity m_panelIdentity;

    // Playing the panel's song (PlaySong.cpp). Playing is no operation: the window stays usable, a
    // row change stops it, and every operation stops it as it begins. The player steps on a timer,
    // one device request per step, on the GUI thread that owns the link.
    void SetUpPlayback();
    void OnPlaySong();
    void StartPlaying();
    bool OpenAudioOutput(QString &strProblem);
    void StopPlaying();
    void EndPlaying();
    bool PlayMayRead() const;
    void OnPlayStep();
    void KeepPlayedSong();
    void ShowKeptPeaks(uint32_t nSlot, const SSongPeaks &peaks);
    std::unique_ptr<CAudioOutput> m_pAudioOutput;
    std::unique_ptr<CSongPlayer> m_pPlayer;
    QTimer m_playTimer;
    uint32_t m_nPlaySlot = 0;
    const CLooperSongBase *m_pPlayStore = nullptr;
    bool m_bPlayFromLooper = false;
};
