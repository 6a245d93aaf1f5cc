#include "BrindleQT.h"
#include "ui_BrindleQT.h"

#include "WatchMidiOutputs.h"

#include <QDebug>
#include <QTimerEvent>

namespace {
const int DEVICE_TIMER_MS = 1000;
}

void BrindleQT::StartDeviceMonitor()
{
    m_bDevChanged = false;
    DetectDevice();
    OnConnectionChanged(m_pUSBPort->State() != LINK_CLOSED);
    m_pThread.reset(new std::thread(WatchMidiOutputs, &m_bDevChanged, &m_bStopWatcher));
    m_nTimerId = startTimer(DEVICE_TIMER_MS, Qt::CoarseTimer);
}

void BrindleQT::StopDeviceMonitor()
{
    if (m_nTimerId != 0)
        killTimer(m_nTimerId);
    m_nTimerId = 0;
    m_bStopWatcher = true;
    if (m_pThread && m_pThread->joinable())
        m_pThread->join();
}

void BrindleQT::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_nTimerId) {
        QMainWindow::timerEvent(event);
        return;
    }
    // A message box of the monitor's own runs a nested event loop; the flag waits for the next tick.
    if (m_nOperation != OP_NONE || m_bMonitorBusy)
        return;
    if (!m_bDevChanged.exchange(false))
        return;
    qDebug("timerEvent");
    m_bMonitorBusy = true;
    OnDeviceTimer();
    m_bMonitorBusy = false;
}

// A connected device is only checked; without one the ports are scanned.
void BrindleQT::OnDeviceTimer()
{
    if (m_pUSBPort->State() != LINK_CLOSED) {
        if (m_pUSBPort->CheckAlive())
            return;
        m_pUSBPort->Disconnect();
        OnConnectionChanged(false);
        qDebug("CDevBaseDlg::connected=FALSE\n");
        return;
    }
    DetectDevice();
    if (m_pUSBPort->State() == LINK_CLOSED)
        return;
    OnConnectionChanged(true);
    qDebug("CDevBaseDlg::connected=TRUE\n");
}

void BrindleQT::OnConnectionChanged(bool bConnected)
{
    UpdateWindowTitle();
    EnableCommandButtons(m_pUSBPort->State() == LINK_NORMAL);
    if (bConnected) {
        LoadSongList();
        return;
    }
    ui->m_lstSong->clear();
    UpdateSongPanel();
    UpdateStorageBar();
}

void BrindleQT::EnableCommandButtons(bool bEnabled)
{
    ui->m_btnDownload->setEnabled(bEnabled);
    ui->m_btnUpload->setEnabled(bEnabled);
    ui->m_btnDelete->setEnabled(bEnabled);
    ui->m_btnOpen->setEnabled(bEnabled);
    ui->m_btnUpdate->setEnabled(bEnabled);
    // Import and export follow the selected row (UpdateSongButtons) once a list is loaded.
    if (!bEnabled) {
        ui->m_btnImport->setEnabled(false);
        ui->m_btnExport->setEnabled(false);
    }
}
