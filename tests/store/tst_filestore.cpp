#include "CLooperSongFile.h"
#include "CStoreRig.h"
#include "ResultCodes.h"

#include <QtTest>

namespace {
const uint32_t PULSE = 10002;
const uint32_t FAT_BLOCK = 1970;
const uint32_t HEADER_SIZE = 329;

CLooperSongFile &Store(CStoreRig &rig, uint32_t slot)
{
    return *static_cast<CLooperSongFile *>(rig.Table().Store(slot));
}

void PokeHeaders(CStoreRig &rig, uint32_t fatBlock, uint32_t pages)
{
    for (uint32_t page = 0; page < pages; ++page)
        rig.PokePage(fatBlock, page, FileHeaderBytes(1, {uint16_t(200 + page)}));
}
} // namespace

// The file-table layout on a simulated PULSE RIG: headers byte for byte, the binary search, the
// FAT wrap and damaged headers.
class TestFileStore : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { CStoreRig::InstallSimulator(); }

    void shortSongKeepsWholeGroups()
    {
        CStoreRig rig(PULSE);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        rig.StartAllocationAt(12);
        const Bytes song = SongBytes(1000, 1);
        QCOMPARE(rig.Table().WriteSong(0, song.data(), 1000, nullptr), RESULT_OK);
        QCOMPARE(Store(rig, 0).GetSize(), 1000u);
        QCOMPARE(rig.Page(12, 63, 4096), Concat(Concat(song, Fill(152, 0x00)), Fill(4096 - 1152, 0xFF)));
        QCOMPARE(rig.Page(FAT_BLOCK, 0, HEADER_SIZE + 4), Concat(FileHeaderBytes(5, {12}), Fill(4, 0xFF)));

        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        QCOMPARE(Store(rig, 0).GetSize(), 960u);
        Bytes back(960);
        QCOMPARE(rig.Table().ReadSong(0, back.data(), 959, nullptr), RESULT_SPACE_NOT_ENOUGH);
        QCOMPARE(rig.Table().ReadSong(0, back.data(), 960, nullptr), RESULT_OK);
        QCOMPARE(back, Bytes(song.begin(), song.begin() + 960));
    }

    void oneByteOverABlockTakesASecondBlock()
    {
        CStoreRig rig(PULSE);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        rig.StartAllocationAt(100);
        const Bytes song = SongBytes(258049, 2);
        CProgressRecorder progress;
        QCOMPARE(rig.Table().WriteSong(0, song.data(), 258049, &progress), RESULT_OK);
        const QVector<QPair<qint64, qint64>> events = {{258048, 258049}, {258049, 258049}};
        QCOMPARE(progress.events, events);
        QCOMPARE(rig.Page(100, 63, 4032), Bytes(song.begin(), song.begin() + 4032));
        QCOMPARE(rig.Page(100, 62, 4032), Bytes(song.begin() + 63 * 4032, song.begin() + 258048));
        QCOMPARE(rig.Page(101, 0, 4096),
                 Concat(Concat({song.back()}, Fill(191, 0x00)), Fill(4096 - 192, 0xFF)));
        QCOMPARE(rig.Page(101, 1, 16), Fill(16, 0xFF));
        QCOMPARE(rig.Page(FAT_BLOCK, 0, HEADER_SIZE), FileHeaderBytes(1344, {100, 101}));
        QVERIFY(rig.Flash().Faults().empty());
    }

    void largestSongFitsAndOneByteMoreIsRefused()
    {
        CStoreRig rig(PULSE);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        SBlockList blocks;
        QCOMPARE(rig.Table().AllocateBlocks(41287680, blocks), RESULT_OK);
        QCOMPARE(blocks.count, 160u);
        const Bytes song(41287681, 0x11);
        rig.Device().ClearRequests();
        QCOMPARE(rig.Table().WriteSong(0, song.data(), 41287681, nullptr), RESULT_FILE_TOO_LARGE);
        QVERIFY(rig.Device().Requests().empty());
    }

    // The search, the newest header, then the page after it, which must be erased.
    void binarySearchFindsTheNewestHeader()
    {
        CStoreRig rig(PULSE);
        PokeHeaders(rig, FAT_BLOCK, 10);
        rig.Device().ClearRequests();
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        std::vector<QPair<uint32_t, uint32_t>> slotReads;
        const uint32_t fat = PageAddress(rig.Geometry(), FAT_BLOCK, 0);
        for (const auto &read : rig.Reads()) {
            if (read.first >= fat && read.first < fat + 0x40000)
                slotReads.push_back({(read.first - fat) / 4096, read.second});
        }
        const std::vector<QPair<uint32_t, uint32_t>> expected = {
            {0, 2},           {32, 2}, {16, 2}, {8, 2}, {12, 2}, {10, 2}, {9, 2}, {9, HEADER_SIZE - 2},
            {10, HEADER_SIZE}};
        QCOMPARE(slotReads, expected);
        QCOMPARE(Store(rig, 0).FatPage(), 9);
        QCOMPARE(Store(rig, 0).GetSize(), 192u);
        QVERIFY(rig.Table().UsedBlocks().test(209));

        rig.StartAllocationAt(209);
        const Bytes song = SongBytes(1000, 3);
        QCOMPARE(rig.Table().WriteSong(0, song.data(), 1000, nullptr), RESULT_OK);
        QCOMPARE(rig.Page(FAT_BLOCK, 10, HEADER_SIZE), FileHeaderBytes(5, {210}));
        QVERIFY(rig.Flash().Faults().empty());
    }

    void headerAfterTheLastPageErasesTheFatBlock()
    {
        CStoreRig rig(PULSE);
        PokeHeaders(rig, FAT_BLOCK, 64);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        QCOMPARE(Store(rig, 0).FatPage(), 63);
        const Bytes song = SongBytes(1000, 4);
        QCOMPARE(rig.Table().WriteSong(0, song.data(), 1000, nullptr), RESULT_OK);
        QVERIFY(rig.FlashErased(1, PageAddress(rig.Geometry(), FAT_BLOCK, 0)));
        QCOMPARE(rig.Page(FAT_BLOCK, 0, HEADER_SIZE), FileHeaderBytes(5, {0}));
        QCOMPARE(rig.Page(FAT_BLOCK, 63, 16), Fill(16, 0xFF));
        QVERIFY(rig.Flash().Faults().empty());
    }

    void damagedHeaderStopsTheLoad_data()
    {
        QTest::addColumn<Bytes>("header");
        Bytes changed = FileHeaderBytes(1, {60});
        changed[7] ^= 0x01;
        QTest::newRow("changed block byte") << changed;
        QTest::newRow("block past the map") << FileHeaderBytes(1, {3000});
        QTest::newRow("block of a FAT") << FileHeaderBytes(1, {1975});
        QTest::newRow("length past the model") << FileHeaderBytes(0x7FFFFFFF, {60});
    }
    void damagedHeaderStopsTheLoad()
    {
        QFETCH(Bytes, header);
        CStoreRig rig(PULSE);
        rig.PokePage(FAT_BLOCK, 0, FileHeaderBytes(1, {50}));
        rig.PokePage(FAT_BLOCK + 1, 0, header);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_CHECKSUM_ERROR);
        QVERIFY(Store(rig, 0).HasSong());
        QCOMPARE(rig.Table().UsedBlocks().count(), size_t(1));
        QVERIFY(rig.Table().UsedBlocks().test(50));
        QVERIFY(!Store(rig, 1).HasSong());
        QCOMPARE(Store(rig, 1).FatPage(), -1);

        // Free blocks are not known while slots 2.. were not loaded, and those slots are refused.
        Bytes back(192);
        rig.Device().ClearRequests();
        QCOMPARE(rig.Table().ReadSong(2, back.data(), 192, nullptr), RESULT_BAD_SLOT);
        QCOMPARE(rig.Table().EraseSong(2), RESULT_BAD_SLOT);
        QCOMPARE(rig.Table().WriteSong(1, back.data(), 192, nullptr), RESULT_CHECKSUM_ERROR);
        QVERIFY(rig.Device().Requests().empty());

        QCOMPARE(rig.Table().EraseSong(1), RESULT_OK);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        QVERIFY(!Store(rig, 1).HasSong());
    }

    void damagedLastSlotIsRewrittenOnAnErasedFatBlock()
    {
        CStoreRig rig(PULSE);
        Bytes broken = FileHeaderBytes(1, {60});
        broken.back() ^= 0xFF;
        for (uint32_t page = 0; page < 4; ++page)
            rig.PokePage(1999, page, broken);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_CHECKSUM_ERROR);
        rig.StartAllocationAt(70);
        const Bytes song = SongBytes(2000, 5);
        QCOMPARE(rig.Table().WriteSong(29, song.data(), 2000, nullptr), RESULT_OK);
        QVERIFY(rig.FlashErased(1, PageAddress(rig.Geometry(), 1999, 0)));
        QCOMPARE(rig.Page(1999, 0, HEADER_SIZE), FileHeaderBytes(10, {70}));
        QCOMPARE(rig.Page(1999, 3, 16), Fill(16, 0xFF));
        QVERIFY(rig.Flash().Faults().empty());
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        QCOMPARE(Store(rig, 29).GetSize(), 1920u);
    }
};

QTEST_GUILESS_MAIN(TestFileStore)
#include "tst_filestore.moc"
