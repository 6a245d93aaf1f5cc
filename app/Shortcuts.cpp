#include "BrindleQT.h"
#include "ui_BrindleQT.h"

#include <QShortcut>

// The song page's keys and commands act only while that page shows.
bool BrindleQT::OnSongPage() const
{
    return ui->propSheet->currentWidget() == ui->song;
}

// The song page's keys. A key whose button is greyed does nothing, as the button would.
void BrindleQT::CreateShortcuts()
{
    connect(ui->m_btnImport, &QPushButton::clicked, this, &BrindleQT::OnImportAudioFile);
    connect(ui->m_btnExport, &QPushButton::clicked, this, &BrindleQT::OnExportAudioFile);
    connect(ui->m_btnStop, &QPushButton::clicked, this, &BrindleQT::OnStopButton);
    const std::pair<QKeySequence, QPushButton *> buttonKeys[] = {
        {QKeySequence(Qt::Key_Delete), ui->m_btnDelete},
        {QKeySequence(Qt::CTRL + Qt::Key_I), ui->m_btnImport},
        {QKeySequence(Qt::CTRL + Qt::Key_E), ui->m_btnExport},
    };
    for (const auto &buttonKey : buttonKeys) {
        QPushButton *pButton = buttonKey.second;
        connect(new QShortcut(buttonKey.first, this), &QShortcut::activated, this, [this, pButton] {
            if (OnSongPage() && pButton->isEnabled())
                pButton->click();
        });
    }
    connect(new QShortcut(QKeySequence(Qt::CTRL + Qt::Key_B), this), &QShortcut::activated, this, [this] {
        if (OnSongPage())
            OnBackupSongs();
    });
    connect(new QShortcut(QKeySequence(Qt::Key_F2), this), &QShortcut::activated, this,
            &BrindleQT::OnNameSong);
}
