#include "BrindleQT.h"
#include "CDialogAnswerer.h"
#include "CSimBus.h"
#include "FileBytes.h"
#include "Settings.h"
#include "SimulatedLoopers.h"
#include "WindowTest.h"
#include "WindowTestEnd.h"
#include "SongListMenu.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

// The song list's context menu: a whole backup, a song deleted, a second snapshot, the first one
// restored after one confirmation, and a backup into a new folder equal to the first byte for byte.
class TestBackupWindow : public CWindowTest {
    Q_OBJECT

private slots:
    void initTestCase() { UseSimulatedLoopersInWindow(); }
    void cleanup() { EndWindowTest(m_pWindow, m_pAnswerer); }

    void backupDeleteRestoreBackup()
    {
        QMap<uint32_t, std::vector<uint8_t>> songs;
        for (const uint32_t slot : {0u, 3u}) {
            std::vector<uint8_t> &bytes = songs[slot];
            bytes.resize(192 * (900 + 400 * slot));
            for (size_t i = 0; i < bytes.size(); ++i)
                bytes[i] = uint8_t(i * 13 + i / 191 + slot);
        }
        QVERIFY(AttachLooperWithSongs(10002, songs));
        m_pAnswerer.reset(new CDialogAnswerer);
        m_pWindow.reset(new BrindleQT);
        QCOMPARE(List()->count(), 30);

        const QString first = MakeFolder("first");
        const QString report = "%1 songs backed up to %2 (%3 read from the looper, %4 already in the backup)";
        RunMenuAction("Back up all songs\u2026", first, {QMessageBox::Ok});
        QCOMPARE(m_pAnswerer->SeenTexts().last(), report.arg(2).arg(first).arg(2).arg(0));
        for (auto song = songs.begin(); song != songs.end(); ++song) {
            QFile wav(QDir(first).filePath(QString::asprintf("Song %.3u.wav", song.key() + 1)));
            QVERIFY(wav.open(QIODevice::ReadOnly));
            const QByteArray bytes = wav.readAll();
            QCOMPARE(bytes.mid(46), QByteArray(reinterpret_cast<const char *>(song.value().data()),
                                               int(song.value().size())));
        }
        QVERIFY(QFile::exists(QDir(first).filePath("manifest.json")));

        List()->setCurrentRow(3);
        m_pAnswerer->Reset();
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Yes));
        m_pWindow->findChild<QPushButton *>("m_btnDelete")->click();
        QVERIFY(m_pAnswerer->WaitForAll());
        QCOMPARE(List()->item(3)->text(), QString("Song 004 -- (Empty)"));
        RunMenuAction("Back up all songs\u2026", first, {QMessageBox::Ok});
        QCOMPARE(m_pAnswerer->SeenTexts().last(), report.arg(1).arg(first).arg(0).arg(1));

        // The newest of the two snapshots is offered first; the first one, chosen, has song 4.
        RunMenuAction("Restore from backup\u2026", first, {QMessageBox::Yes, QMessageBox::Ok}, 1);
        QVERIFY(m_pAnswerer->SeenTexts().value(1).endsWith("PULSE RIG  1 song  removed 4"));
        QCOMPARE(m_pAnswerer->Seen().value(2).strTitle, QString("Restore warning"));
        QCOMPARE(
            m_pAnswerer->SeenTexts().mid(2),
            (QStringList{"Restoring replaces the songs in these slots:\nSong 001 -- (0.16  MB)\nContinue?",
                         QString("2 songs restored from %1").arg(first)}));
        QCOMPARE(List()->item(3)->text(), QString("Song 004 -- (0.38  MB)"));

        // A folder name typed in the dialog that does not exist yet is made.
        const QString second = m_dir.filePath("second");
        RunMenuAction("Back up all songs\u2026", second, {QMessageBox::Ok});
        for (const QString &name : QDir(first).entryList({"*.wav"}))
            QCOMPARE(ReadAll(QDir(second).filePath(name)), ReadAll(QDir(first).filePath(name)));

        ShowActive();
        m_pAnswerer->Reset();
        m_pAnswerer->Expect(CDialogAnswerer::CancelFile());
        QTest::keyClick(List(), Qt::Key_B, Qt::ControlModifier);
        QVERIFY(m_pAnswerer->WaitForAll());
        QCOMPARE(m_pAnswerer->Seen().value(0).strTitle, QString("Back up all songs"));
    }

private:
    void RunMenuAction(const QString &text, const QString &folder,
                       const QList<QMessageBox::StandardButton> &buttons, int snapshot = -1)
    {
        m_pAnswerer->Reset();
        m_pAnswerer->Expect(CDialogAnswerer::ChooseFile(folder));
        if (snapshot >= 0)
            m_pAnswerer->Expect(CDialogAnswerer::ChooseItem(snapshot));
        for (const QMessageBox::StandardButton button : buttons)
            m_pAnswerer->Expect(CDialogAnswerer::Press(button));
        QVERIFY2(ChooseFromSongListMenu(List(), 0, text).contains(text), qPrintable(text));
        QVERIFY(m_pAnswerer->WaitForAll(30000));
        QCOMPARE(m_pWindow->Operation(), int32_t(OP_NONE));
        QVERIFY(m_pWindow->findChild<QProgressBar *>("progressBar")->isHidden());
        QVERIFY(m_pWindow->findChild<QTabWidget *>("propSheet")->isTabEnabled(1));
    }
    QString MakeFolder(const QString &name)
    {
        QDir(m_dir.path()).mkpath(name);
        return m_dir.filePath(name);
    }

    QTemporaryDir m_dir;
};

QTEST_MAIN(TestBackupWindow)
#include "tst_backupwindow.moc"
