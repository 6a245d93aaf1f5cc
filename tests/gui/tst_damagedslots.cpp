#include "BrindleQT.h"
#include "CDialogAnswerer.h"
#include "CStorageBar.h"
#include "CSimBus.h"
#include "Settings.h"
#include "SimulatedLoopers.h"
#include "WindowTest.h"
#include "WindowTestEnd.h"
#include "SongListMenu.h"

#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const uint32_t PULSE_RIG = 10002;
const uint32_t PULSE_RIG_DATA_BLOCKS = 1970;
const uint32_t PULSE_RIG_BLOCK_SIZE = 0x40000;
const char *const REFUSAL =
    "Song 002 -- (Damaged: Checksum error!): the blocks of a damaged slot are unknown, "
    "so nothing is written while it is there. Back up the other songs, then delete slot 2.";
} // namespace

// One damaged slot record: the other songs stay in the list and can be read, nothing is written
// until the damaged slot is deleted from its row's menu.
class TestDamagedSlots : public CWindowTest {
    Q_OBJECT

private slots:
    void initTestCase() { UseSimulatedLoopersInWindow(); }
    void cleanup() { EndWindowTest(m_pWindow, m_pAnswerer); }

    void damagedSlotInTheList()
    {
        QMap<uint32_t, std::vector<uint8_t>> songs;
        for (const uint32_t slot : {0u, 1u, 2u})
            songs[slot] = std::vector<uint8_t>(192 * 100 * (slot + 1), uint8_t(slot + 1));
        auto pDevice = AttachLooperWithSongs(PULSE_RIG, songs);
        QVERIFY(pDevice);
        // A byte of slot 2's record block list changes: the record's sum no longer matches.
        pDevice->Flash().Poke(1, (PULSE_RIG_DATA_BLOCKS + 1) * PULSE_RIG_BLOCK_SIZE + 10, {0x00});
        m_pAnswerer.reset(new CDialogAnswerer);
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Ok));
        m_pWindow.reset(new BrindleQT);
        QVERIFY(m_pAnswerer->WaitForAll());
        QCOMPARE(m_pAnswerer->SeenTexts(), QStringList{"Load song info failed !"});
        QTRY_COMPARE(List()->count(), 30);
        QCOMPARE(List()->item(0)->text(), QString("Song 001 -- (0.02  MB)"));
        QCOMPARE(List()->item(1)->text(), QString("Song 002 -- (Damaged)"));
        QCOMPARE(List()->item(2)->text(), QString("Song 003 -- (0.05  MB)"));
        QCOMPARE(List()->item(1)->icon().cacheKey(), List()->item(5)->icon().cacheKey());
        QCOMPARE(StorageText(),
                 QString("Free: 1968 of 1970 blocks, 484.31 MB, 60:11 of mono audio (a damaged "
                         "slot may own some of these blocks)"));

        const QString wav = m_dir.filePath("three.wav");
        List()->setCurrentRow(2);
        Answer({CDialogAnswerer::ChooseFile(wav), CDialogAnswerer::Press(QMessageBox::Ok)},
               [this] { Button("m_btnUpload")->click(); });
        QCOMPARE(m_pAnswerer->SeenTexts().last(), QString("Successful !"));
        QVERIFY(QFileInfo(wav).size() > 192 * 300);

        List()->setCurrentRow(5);
        Answer({CDialogAnswerer::Press(QMessageBox::Ok)}, [this] { Button("m_btnDownload")->click(); });
        QCOMPARE(m_pAnswerer->SeenTexts(), QStringList{REFUSAL});
        Answer({CDialogAnswerer::Press(QMessageBox::Ok)},
               [this] { ChooseFromSongListMenu(List(), 5, QString::fromUtf8("Import audio file\u2026")); });
        QCOMPARE(m_pAnswerer->SeenTexts(), QStringList{REFUSAL});

        QStringList actions;
        Answer({CDialogAnswerer::Press(QMessageBox::Yes)},
               [this, &actions] { actions = ChooseFromSongListMenu(List(), 1, "Delete"); });
        QCOMPARE(actions.first(), QString("Delete"));
        QCOMPARE(m_pAnswerer->SeenTexts(), QStringList{"Continue to delete song 'Song 002 -- (Damaged)' ?"});
        QCOMPARE(List()->item(1)->text(), QString("Song 002 -- (Empty)"));
        QCOMPARE(StorageText(), QString("Free: 1968 of 1970 blocks, 484.31 MB, 60:11 of mono audio"));
        QCOMPARE(ChooseFromSongListMenu(List(), 2, QString()).contains("Delete"), false);

        List()->setCurrentRow(5);
        Answer({CDialogAnswerer::ChooseFile(wav), CDialogAnswerer::Press(QMessageBox::Ok)},
               [this] { Button("m_btnDownload")->click(); });
        QCOMPARE(m_pAnswerer->SeenTexts().last(), QString("Successful !"));
        QVERIFY(List()->item(5)->text() != QString("Song 006 -- (Empty)"));
    }

    // The newest record of slot 2 got its tag and part of its group count before power went: the
    // row's menu offers Repair, which brings the previous song back.
    void tornRowIsRepaired()
    {
        const std::vector<uint8_t> song(192 * 150, 0x25);
        auto pDevice =
            AttachLooperWithSongs(PULSE_RIG, {{0, std::vector<uint8_t>(192 * 100, 0x24)}, {1, song}});
        QVERIFY(pDevice);
        pDevice->Flash().Poke(1, (PULSE_RIG_DATA_BLOCKS + 1) * PULSE_RIG_BLOCK_SIZE + 4096,
                              {'H', 'D', 0xFF, 0x2C});
        m_pAnswerer.reset(new CDialogAnswerer);
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Ok));
        m_pWindow.reset(new BrindleQT);
        QVERIFY(m_pAnswerer->WaitForAll());
        QTRY_COMPARE(List()->count(), 30);
        QCOMPARE(List()->item(1)->text(), QString("Song 002 -- (Damaged)"));

        QStringList actions;
        Answer({CDialogAnswerer::Press(QMessageBox::Ok)},
               [this, &actions] { actions = ChooseFromSongListMenu(List(), 1, "Repair"); });
        QCOMPARE(actions.mid(0, 2), (QStringList{"Delete", "Repair"}));
        QCOMPARE(m_pAnswerer->SeenTexts(), QStringList{"Successful !"});
        QCOMPARE(List()->item(1)->text(), QString("Song 002 -- (0.03  MB)"));
        QVERIFY(!ChooseFromSongListMenu(List(), 0, QString()).contains("Repair"));
    }

private:
    void Answer(const QList<CDialogAnswerer::SAnswer> &answers, const std::function<void()> &action)
    {
        m_pAnswerer->Reset();
        for (const CDialogAnswerer::SAnswer &answer : answers)
            m_pAnswerer->Expect(answer);
        action();
        QVERIFY(m_pAnswerer->WaitForAll());
    }
    QString StorageText() { return m_pWindow->findChild<CStorageBar *>("m_storageBar")->Text(); }

    QTemporaryDir m_dir;
};

QTEST_MAIN(TestDamagedSlots)
#include "tst_damagedslots.moc"
