#include "CLooperSongBase.h"
#include "CStoreRig.h"
#include "ResultCodes.h"

#include <QtTest>

namespace {
const uint32_t PULSE = 10002;
const uint32_t SOLO = 10003;
const uint32_t DOUBLE = 10004;

// What a reload reads back: legacy records keep the zero padding up to a whole group, file-table
// headers keep whole groups only.
uint32_t StoredSize(uint32_t productId, uint32_t length)
{
    const uint32_t group = FindDeviceModel(productId)->geometry->groupSize;
    return productId == PULSE ? length / group * group : (length + group - 1) / group * group;
}

Bytes ReadBack(CStoreRig &rig, uint32_t slot)
{
    Bytes back(rig.Table().Store(slot)->GetSize());
    if (rig.Table().ReadSong(slot, back.data(), uint32_t(back.size()), nullptr) != RESULT_OK)
        return {};
    return back;
}

Bytes Expected(const Bytes &song, uint32_t size)
{
    Bytes expected = song;
    expected.resize(size, 0x00);
    return expected;
}

std::vector<uint16_t> Blocks(const SBlockList &list)
{
    return std::vector<uint16_t>(list.blocks.get(), list.blocks.get() + list.count);
}

void AddModelRows()
{
    QTest::addColumn<uint32_t>("productId");
    QTest::newRow("PULSE RIG") << PULSE;
    QTest::newRow("Corvel Solo") << SOLO;
    QTest::newRow("Corvel Double") << DOUBLE;
}
} // namespace

// The song table over every model on the simulator: round trips, allocation, failed writes that
// must keep the previous song, and what is refused before any traffic.
class TestSongTable : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { CStoreRig::InstallSimulator(); }

    void songsRoundTrip_data()
    {
        QTest::addColumn<uint32_t>("productId");
        QTest::addColumn<uint32_t>("length");
        QTest::newRow("PULSE RIG one group") << PULSE << 192u;
        QTest::newRow("PULSE RIG two blocks and a bit") << PULSE << 600001u;
        QTest::newRow("Corvel Solo one byte") << SOLO << 1u;
        QTest::newRow("Corvel Solo block and a page") << SOLO << 130944u + 2046u + 5u;
        QTest::newRow("Corvel Double three groups and a byte") << DOUBLE << 3u * 372u + 1u;
        QTest::newRow("Corvel Double three blocks") << DOUBLE << 3u * 130944u;
    }
    void songsRoundTrip()
    {
        QFETCH(uint32_t, productId);
        QFETCH(uint32_t, length);
        CStoreRig rig(productId);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        rig.StartAllocationAt(500);
        const Bytes song = SongBytes(length, 7);
        QCOMPARE(rig.Table().WriteSong(0, song.data(), length, nullptr), RESULT_OK);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        const uint32_t size = StoredSize(productId, length);
        QCOMPARE(rig.Table().Store(0)->GetSize(), size);
        QCOMPARE(ReadBack(rig, 0), Expected(song, size));
        QVERIFY(rig.Flash().Faults().empty());
    }

    void allocationWrapsToBlockZeroAndSkipsUsedBlocks()
    {
        CStoreRig rig(PULSE);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        rig.StartAllocationAt(1968);
        SBlockList blocks;
        QCOMPARE(rig.Table().AllocateBlocks(3 * 258048, blocks), RESULT_OK);
        QCOMPARE(Blocks(blocks), std::vector<uint16_t>({1968, 1969, 0}));

        rig.StartAllocationAt(1969);
        const Bytes song = SongBytes(1000, 1);
        QCOMPARE(rig.Table().WriteSong(3, song.data(), 1000, nullptr), RESULT_OK);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        rig.StartAllocationAt(1968 + 1970 * 5);
        QCOMPARE(rig.Table().AllocateBlocks(3 * 258048, blocks), RESULT_OK);
        QCOMPARE(Blocks(blocks), std::vector<uint16_t>({1968, 0, 1}));
        QCOMPARE(rig.Table().UsedBlocks().count(), size_t(1));
    }

    void newSongNeverLandsOnTheOneItReplaces_data() { AddModelRows(); }
    void newSongNeverLandsOnTheOneItReplaces()
    {
        QFETCH(uint32_t, productId);
        CStoreRig rig(productId);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        rig.StartAllocationAt(10);
        const Bytes first = SongBytes(300000, 1);
        QCOMPARE(rig.Table().WriteSong(0, first.data(), 300000, nullptr), RESULT_OK);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        const Bytes second = SongBytes(1000, 2);
        QCOMPARE(rig.Table().WriteSong(0, second.data(), 1000, nullptr), RESULT_OK);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        const uint32_t firstBlocks = productId == PULSE ? 2 : 3;
        QCOMPARE(rig.Table().UsedBlocks().count(), size_t(1));
        QVERIFY(rig.Table().UsedBlocks().test(10 + firstBlocks));
        QCOMPARE(ReadBack(rig, 0), Expected(second, StoredSize(productId, 1000)));
    }

    void writesBeforeAReloadKeepApart()
    {
        CStoreRig rig(PULSE);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        rig.StartAllocationAt(30);
        const Bytes first = SongBytes(5000, 1);
        const Bytes second = SongBytes(5000, 2);
        QCOMPARE(rig.Table().WriteSong(0, first.data(), 5000, nullptr), RESULT_OK);
        QCOMPARE(rig.Table().WriteSong(1, second.data(), 5000, nullptr), RESULT_OK);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        QCOMPARE(ReadBack(rig, 0), Expected(first, 4992));
        QCOMPARE(ReadBack(rig, 1), Expected(second, 4992));
    }

    void failedWriteKeepsThePreviousSong_data()
    {
        QTest::addColumn<uint32_t>("productId");
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("result");
        const int erase = CMD_ERASE;
        const int write = CMD_WRITE;
        const int status = SIM_FAULT_ERROR_STATUS;
        for (uint32_t productId : {PULSE, SOLO, DOUBLE}) {
            const QByteArray name = FindDeviceModel(productId)->name;
            QTest::newRow(name + " data block erase refused")
                << productId << erase << status << int(RESULT_FLASH_ERASE_FAILED);
            QTest::newRow(name + " page write refused")
                << productId << write << status << int(RESULT_WRITE_FAILED);
            QTest::newRow(name + " page write unanswered")
                << productId << write << int(SIM_FAULT_SILENCE) << int(RESULT_WRITE_FAILED);
        }
        QTest::newRow("Corvel Solo page verify wrong")
            << SOLO << int(CMD_CHECKSUM) << int(SIM_FAULT_WRONG_SUM) << int(RESULT_WRITE_FAILED);
    }
    void failedWriteKeepsThePreviousSong()
    {
        QFETCH(uint32_t, productId);
        QFETCH(int, command);
        QFETCH(int, kind);
        QFETCH(int, result);
        CStoreRig rig(productId);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        const Bytes first = SongBytes(20000, 1);
        QCOMPARE(rig.Table().WriteSong(0, first.data(), 20000, nullptr), RESULT_OK);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        const uint32_t fatBlock = rig.Geometry().dataBlockCount;
        const Bytes fatBefore = rig.Page(fatBlock, 0, rig.Geometry().blockSize);

        // A second block makes the refused erase the one of a later data block.
        SSimFault fault;
        fault.kind = ESimFaultKind(kind);
        fault.command = command;
        fault.atRequest = 2;
        rig.Device().SetFault(fault);
        const Bytes second = SongBytes(300000, 2);
        QCOMPARE(rig.Table().WriteSong(0, second.data(), 300000, nullptr), result);
        rig.Device().ClearFaults();
        QCOMPARE(rig.Page(fatBlock, 0, rig.Geometry().blockSize), fatBefore);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        QCOMPARE(ReadBack(rig, 0), Expected(first, StoredSize(productId, 20000)));
        QVERIFY(rig.Flash().Faults().empty());
    }

    void refusedBeforeAnyTraffic_data()
    {
        QTest::addColumn<uint32_t>("productId");
        QTest::addColumn<uint32_t>("slot");
        QTest::addColumn<uint32_t>("length");
        QTest::addColumn<int>("result");
        QTest::newRow("empty song, legacy") << SOLO << 0u << 0u << int(RESULT_WRITE_FAILED);
        QTest::newRow("empty song, file table") << PULSE << 0u << 0u << int(RESULT_WRITE_FAILED);
        QTest::newRow("less than a group, file table") << PULSE << 0u << 191u << int(RESULT_WRITE_FAILED);
        QTest::newRow("slot past the table") << SOLO << 1u << 1000u << int(RESULT_BAD_SLOT);
        QTest::newRow("Corvel too large") << DOUBLE << 0u << 85113601u << int(RESULT_FILE_TOO_LARGE);
    }
    void refusedBeforeAnyTraffic()
    {
        QFETCH(uint32_t, productId);
        QFETCH(uint32_t, slot);
        QFETCH(uint32_t, length);
        QFETCH(int, result);
        CStoreRig rig(productId);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        const Bytes song(std::max<uint32_t>(length, 1), 0x22);
        rig.Device().ClearRequests();
        QCOMPARE(rig.Table().WriteSong(slot, song.data(), length, nullptr), result);
        QVERIFY(rig.Device().Requests().empty());
    }

    void loadNeedsAnOpenLinkAndAKnownModel()
    {
        CStoreRig rig(SOLO);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        rig.Port().Disconnect();
        QCOMPARE(rig.Table().LoadSongs(), RESULT_DEVICE_NOT_OPEN);
        QCOMPARE(rig.Table().StoreCount(), 1u);
        Bytes song(1000);
        QCOMPARE(rig.Table().WriteSong(0, song.data(), 1000, nullptr), RESULT_DEVICE_NOT_OPEN);
        QCOMPARE(rig.Table().ReadSong(0, song.data(), 1000, nullptr), RESULT_DEVICE_NOT_OPEN);
    }

    void unknownModelsHaveNoStores_data()
    {
        QTest::addColumn<uint32_t>("productId");
        QTest::newRow("id missing from the table") << 12345u;
        QTest::newRow("identity never read") << 0xFFFFFFFFu;
    }
    void unknownModelsHaveNoStores()
    {
        QFETCH(uint32_t, productId);
        CStoreRig rig(productId);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_DEVICE_NOT_SUPPORTED);
        QCOMPARE(rig.Table().StoreCount(), 0u);
        Bytes song(1000);
        QCOMPARE(rig.Table().WriteSong(0, song.data(), 1000, nullptr), RESULT_BAD_SLOT);
    }

    void rowTextShowsTheSizeInMegabytes()
    {
        CStoreRig rig(PULSE);
        const Bytes header = FileHeaderBytes(8192, {0, 1, 2, 3, 4, 5, 6});
        rig.PokePage(1970, 0, header);
        QCOMPARE(rig.Table().LoadSongs(), RESULT_OK);
        QCOMPARE(rig.Table().StoreCount(), 30u);
        QCOMPARE(rig.Table().SongRowText(0), QString("Song 001 -- (1.50  MB)"));
        QVERIFY(!rig.Table().Store(9)->HasSong());
        QCOMPARE(rig.Table().SongRowText(9), QString("Song 010 -- (0.00  MB)"));
        QCOMPARE(rig.Table().UsedBlocks().count(), size_t(7));
    }
};

QTEST_GUILESS_MAIN(TestSongTable)
#include "tst_songtable.moc"
