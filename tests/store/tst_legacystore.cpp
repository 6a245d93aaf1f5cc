#include "CLooperSongOld.h"
#include "CStoreRig.h"
#include "ResultCodes.h"

#include <QtTest>

namespace {
const uint32_t SOLO = 10003;
const uint32_t DOUBLE = 10004;
const uint32_t FAT_BLOCK = 1980;

// The flag sectors erased in order, then the two zero bytes.
bool SongFileFlagRaised(CStoreRig &rig)
{
    std::vector<SSimFlashOperation> flag;
    for (const SSimFlashOperation &operation : rig.Flash().Operations()) {
        if (operation.area == 0)
            flag.push_back(operation);
    }
    if (flag.size() != 17 || flag[16].kind != SIM_FLASH_PROGRAM || flag[16].address != 0x8000)
        return false;
    for (uint32_t i = 0; i < 16; ++i) {
        if (flag[i].kind != SIM_FLASH_ERASE || flag[i].requested != 0x8000 + i * 0x800)
            return false;
    }
    return rig.Flash().Read(0, 0x8000, 3) == Bytes({0x00, 0x00, 0xFF});
}

Bytes Padded(const Bytes &song, uint32_t size)
{
    return Concat(song, Fill(size - uint32_t(song.size()), 0x00));
}

CLooperSongOld &Store(CStoreRig &rig)
{
    return *static_cast<CLooperSongOld *>(rig.Table().Store(0));
}
} // namespace

// The legacy layout on the simulated Corvel loopers: records, page order, the downward search,
// the song-file flag and damaged records.
class TestLegacyStore : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { CStoreRig::InstallSimulator(); }

    void recordFollowsTheSongLength_data()
    {
        QTest::addColumn<uint32_t>("productId");
        QTest::addColumn<uint32_t>("length");
        QTest::addColumn<int>("blocks");
        QTest::addColumn<int>("lastBlock");
        QTest::addColumn<int>("lastPage");
        QTest::addColumn<int>("lastGroup");
        QTest::addColumn<uint32_t>("storedSize");
        QTest::newRow("solo 1000 bytes") << SOLO << 1000u << 1 << 0 << 0 << 5 << 1116u;
        QTest::newRow("solo full block") << SOLO << 130944u << 1 << 0 << 63 << 10 << 130944u;
        QTest::newRow("double block and a byte") << DOUBLE << 130945u << 2 << 1 << 0 << 0 << 131316u;
    }
    void recordFollowsTheSongLength()
    {
        QFETCH(uint32_t, productId);
        QFETCH(uint32_t, length);
        QFETCH(int, blocks);
        QFETCH(int, lastBlock);
        QFETCH(int, lastPage);
        QFETCH(int, lastGroup);
        QFETCH(uint32_t, storedSize);
        CStoreRig rig(productId);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        rig.StartAllocationAt(40);
        rig.Flash().ClearLog();
        const Bytes song = SongBytes(length, 3);
        CProgressRecorder progress;
        QCOMPARE(rig.Table().WriteSong(0, song.data(), length, &progress), RESULT_OK);
        QCOMPARE(progress.events.size(), blocks);
        QCOMPARE(progress.events.last(), qMakePair(qint64(length), qint64(length)));

        std::vector<uint16_t> list = {40, 41};
        list.resize(size_t(blocks));
        const Bytes record =
            LegacyRecordBytes(uint16_t(lastBlock), uint8_t(lastPage), uint8_t(lastGroup), list);
        QCOMPARE(rig.Page(FAT_BLOCK, 2, 2624), record);
        QVERIFY(SongFileFlagRaised(rig));

        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        QCOMPARE(rig.Table().Store(0)->GetSize(), storedSize);
        Bytes back(storedSize);
        QCOMPARE(rig.Table().ReadSong(0, back.data(), storedSize, nullptr), RESULT_OK);
        QCOMPARE(back, Padded(song, storedSize));
        QVERIFY(rig.Flash().Faults().empty());
    }

    void pagesRunFromTheLastPageOfTheFirstBlock()
    {
        CStoreRig rig(SOLO);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        rig.StartAllocationAt(7);
        const Bytes song = SongBytes(130944 + 10, 9);
        QCOMPARE(rig.Table().WriteSong(0, song.data(), uint32_t(song.size()), nullptr), RESULT_OK);
        for (uint32_t n = 0; n < 64; ++n) {
            const uint32_t page = n == 0 ? 63 : n - 1;
            const Bytes chunk(song.begin() + n * 2046, song.begin() + (n + 1) * 2046);
            QCOMPARE(rig.Page(7, page, 2048), Concat(chunk, Fill(2, 0xFF)));
        }
        const Bytes tail(song.begin() + 130944, song.end());
        QCOMPARE(rig.Page(8, 0, 2048), Concat(Padded(tail, 186), Fill(2048 - 186, 0xFF)));
        QCOMPARE(rig.Page(8, 1, 2048), Fill(2048, 0xFF));
    }

    void erasedFatBlockIsSearchedDownwards_data()
    {
        QTest::addColumn<uint32_t>("productId");
        QTest::addColumn<uint32_t>("pagesPerBlock");
        QTest::newRow("solo") << SOLO << 64u;
        QTest::newRow("double") << DOUBLE << 32u;
    }
    void erasedFatBlockIsSearchedDownwards()
    {
        QFETCH(uint32_t, productId);
        QFETCH(uint32_t, pagesPerBlock);
        CStoreRig rig(productId);
        rig.Device().ClearRequests();
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        std::vector<QPair<uint32_t, uint32_t>> expected;
        for (uint32_t page = pagesPerBlock - 2; page > 0; page -= 2)
            expected.push_back({PageAddress(rig.Geometry(), FAT_BLOCK, page), 2});
        const uint32_t record = PageAddress(rig.Geometry(), FAT_BLOCK, 0);
        // The record found, then the place of the next one, which must be erased.
        const uint32_t next = PageAddress(rig.Geometry(), FAT_BLOCK, 2);
        expected.insert(expected.end(), {{record, 1009},
                                         {record + 1009, 1009},
                                         {record + 2018, 606},
                                         {next, 1009},
                                         {next + 1009, 1009},
                                         {next + 2018, 606}});
        QCOMPARE(rig.Reads(), expected);
        QVERIFY(!Store(rig).HasSong());
        QCOMPARE(Store(rig).FatPage(), 0);

        const Bytes song = SongBytes(1000, 2);
        QCOMPARE(rig.Table().WriteSong(0, song.data(), 1000, nullptr), RESULT_OK);
        QCOMPARE(Store(rig).FatPage(), 2);
        QCOMPARE(rig.Page(FAT_BLOCK, 2, 6), Bytes({'l', 'o', 'o', 'p', 'e', 'r'}));
        QCOMPARE(rig.Page(FAT_BLOCK, 0, 16), Fill(16, 0xFF));
    }

    void recordAfterTheLastPageErasesTheFatBlock()
    {
        CStoreRig rig(SOLO);
        rig.PokePage(FAT_BLOCK, 62, LegacyRecordBytes(0, 0, 0, {5}));
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        QCOMPARE(Store(rig).FatPage(), 62);
        QCOMPARE(Store(rig).GetSize(), 186u);
        rig.StartAllocationAt(5);
        const Bytes song = SongBytes(1000, 4);
        QCOMPARE(rig.Table().WriteSong(0, song.data(), 1000, nullptr), RESULT_OK);
        QVERIFY(rig.FlashErased(1, PageAddress(rig.Geometry(), FAT_BLOCK, 0)));
        QCOMPARE(rig.Page(FAT_BLOCK, 0, 2624), LegacyRecordBytes(0, 0, 5, {6}));
        QCOMPARE(rig.Page(FAT_BLOCK, 62, 8), Fill(8, 0xFF));
        QVERIFY(rig.Flash().Faults().empty());
    }

    void damagedRecords_data()
    {
        QTest::addColumn<Bytes>("record");
        QTest::addColumn<int>("loadResult");
        QTest::addColumn<int>("nextPage");
        Bytes open = LegacyRecordBytes(0, 0, 0, {5});
        open[6] = 0x01;
        QTest::newRow("tag not closed") << open << int(RESULT_OK) << 2;
        QTest::newRow("block past the map")
            << LegacyRecordBytes(0, 0, 0, {4000}) << int(RESULT_READ_FAILED) << 0;
        QTest::newRow("block of the FAT")
            << LegacyRecordBytes(0, 0, 0, {1980}) << int(RESULT_READ_FAILED) << 0;
        QTest::newRow("last block past the list")
            << LegacyRecordBytes(700, 0, 0, {5}) << int(RESULT_READ_FAILED) << 0;
        QTest::newRow("last group past the page")
            << LegacyRecordBytes(0, 0, 11, {5}) << int(RESULT_READ_FAILED) << 0;
    }
    void damagedRecords()
    {
        QFETCH(Bytes, record);
        QFETCH(int, loadResult);
        QFETCH(int, nextPage);
        CStoreRig rig(SOLO);
        rig.PokePage(FAT_BLOCK, 0, record);
        QCOMPARE(rig.Table().LoadSongs(), loadResult);
        QVERIFY(!Store(rig).HasSong());
        QVERIFY(rig.Table().UsedBlocks().none());

        const Bytes song = SongBytes(3000, 5);
        QCOMPARE(rig.Table().WriteSong(0, song.data(), 3000, nullptr), RESULT_OK);
        QCOMPARE(Store(rig).FatPage(), nextPage);
        QVERIFY(rig.Flash().Faults().empty());
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        Bytes back(3162);
        QCOMPARE(rig.Table().ReadSong(0, back.data(), 3162, nullptr), RESULT_OK);
        QCOMPARE(back, Padded(song, 3162));
    }
};

QTEST_GUILESS_MAIN(TestLegacyStore)
#include "tst_legacystore.moc"
