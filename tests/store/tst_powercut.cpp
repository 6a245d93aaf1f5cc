#include "CLooperSongBase.h"
#include "CSimBus.h"
#include "CStoreRig.h"
#include "MidiBackendChoice.h"
#include "ResultCodes.h"

#include <QtTest>

#include <functional>

namespace {
const uint32_t PULSE = 10002;
const uint32_t SOLO = 10003;
const uint32_t DOUBLE = 10004;
// Whole groups on every model, so that every model reads back exactly the bytes written.
const uint32_t LENGTH = 3 * 5952;

enum EAfterCut { KEPT, COMMITTED, REPAIRED, LOST };
// What the FAT block holds before the cut commit: one record, the tears and copies of two repairs
// (the second one cut too) below the newest record, or a full block.
enum EHistory { ONE_RECORD, AFTER_REPAIRS, FULL_BLOCK };
enum EArrangement { MOVE, SWAP };

Bytes ReadBack(CStoreRig &rig, uint32_t slot = 0)
{
    Bytes back(rig.Table().Store(slot)->GetSize());
    if (rig.Table().ReadSong(slot, back.data(), uint32_t(back.size()), nullptr) != RESULT_OK)
        return {};
    return back;
}

// What the slot holds once power is back: a song other than the two is never acceptable.
EAfterCut Outcome(CStoreRig &rig, const Bytes &first, const Bytes &second)
{
    rig.Table().LoadEachSong();
    if (rig.Table().SlotLoadResult(0) != RESULT_OK) {
        if (!rig.Table().SongRecoverable(0))
            return LOST;
        if (rig.Table().RepairSong(0) != RESULT_OK || ReadBack(rig) != first)
            return EAfterCut(-1);
        return REPAIRED;
    }
    if (!rig.Table().Store(0)->HasSong())
        return LOST;
    const Bytes back = ReadBack(rig);
    return back == first ? KEPT : back == second ? COMMITTED : EAfterCut(-1);
}

// Writes `records` songs one after another into the slot; `last` is the last one, which it then holds
// (none for no records). The result of the first write that fails, else RESULT_OK.
int32_t WriteSongs(CStoreRig &rig, uint32_t slot, int records, uint32_t seed, Bytes &last)
{
    last.clear();
    for (int n = 0; n < records; ++n) {
        last = SongBytes(LENGTH, seed + uint32_t(n));
        const int32_t result = rig.Table().WriteSong(slot, last.data(), LENGTH, nullptr);
        if (result != RESULT_OK)
            return result;
    }
    return RESULT_OK;
}

// What a run with a power cut found, before the looper was plugged back in.
struct SCutRun {
    // Of loading the songs, before the cut was armed.
    int32_t loadResult;
    // The cut came while the action ran.
    bool poweredOff;
    // Nothing was programmed over flash that was not erased.
    bool faultless;
    std::vector<SSimRequest> requests;
};

// Starts the looper again from the flash `before` with its songs loaded, cuts its power as `cut`
// says while `action` runs, and plugs it back in.
SCutRun CutDuring(CStoreRig &rig, const CSimFlash &before, const SSimPowerCut &cut,
                  const std::function<void()> &action)
{
    rig.Flash().CopyFrom(before);
    rig.PlugBackIn();
    SCutRun run;
    run.loadResult = rig.Table().LoadEachSong();
    rig.Device().SetPowerCut(cut);
    action();
    run.poweredOff = rig.Device().PoweredOff();
    run.faultless = rig.Flash().Faults().empty();
    run.requests = rig.Device().Requests();
    rig.PlugBackIn();
    return run;
}

// The requests from the FAT block's erase to the last record write there: a cut in them finds
// the old records gone and the new one not yet whole.
bool InWrapWindow(const std::vector<SSimRequest> &requests, size_t index, uint32_t fatAddress,
                  uint32_t blockSize)
{
    size_t erase = requests.size();
    size_t lastRecordWrite = 0;
    for (size_t i = 0; i < requests.size(); ++i) {
        const bool inFat = requests[i].address >= fatAddress && requests[i].address < fatAddress + blockSize;
        if (inFat && requests[i].command == CMD_ERASE && requests[i].area == 1)
            erase = i;
        if (inFat && requests[i].command == CMD_WRITE && requests[i].area == 1)
            lastRecordWrite = i;
    }
    return index >= erase && index <= lastRecordWrite;
}

// Cuts power on the write of a record into the slot's FAT block by `action`, leaving the record
// torn, and plugs back in.
bool TearRecordWrite(CStoreRig &rig, const std::function<void()> &action, uint32_t slot = 0)
{
    CSimFlash before;
    before.CopyFrom(rig.Flash());
    const uint32_t fat = PageAddress(rig.Geometry(), rig.Geometry().dataBlockCount + slot, 0);
    for (int k = 1; k < 400; ++k) {
        const SCutRun run = CutDuring(rig, before, {k, 7}, action);
        if (!run.poweredOff)
            return false;
        const SSimRequest &last = run.requests.back();
        if (last.command == CMD_WRITE && last.area == 1 && last.address >= fat &&
            last.address < fat + rig.Geometry().blockSize) {
            rig.Table().LoadEachSong();
            return rig.Table().SongRecoverable(slot);
        }
    }
    return false;
}

// Repairs until every slot loads whole, cutting the first `tears` repairs of slots sharing blocks
// and deleting the slots repair cannot save. True when two slots shared blocks.
bool RepairAfterCut(CStoreRig &rig, int tears)
{
    bool shared = false;
    rig.Table().LoadEachSong();
    for (int round = 0; round < 5 && rig.Table().HasDamagedSlot(); ++round) {
        for (uint32_t slot = 0; slot < rig.Table().StoreCount(); ++slot) {
            const bool damaged = rig.Table().SlotLoadResult(slot) != RESULT_OK;
            shared = shared || rig.Table().SharedWith(slot) >= 0;
            const uint32_t higher = std::max(slot, uint32_t(rig.Table().SharedWith(slot)));
            if (damaged && rig.Table().SharedWith(slot) >= 0 && tears-- > 0)
                TearRecordWrite(
                    rig, [&] { rig.Table().RepairSong(slot); }, higher);
            else if (damaged && rig.Table().SongRecoverable(slot))
                rig.Table().RepairSong(slot);
            else if (damaged && rig.Table().EraseSong(slot) == RESULT_OK)
                rig.Table().ReloadSong(slot);
        }
    }
    return shared;
}
} // namespace

// A power cut at every request of a commit, on every model, in the middle of the FAT block and
// at its wrap: the slot keeps its song, takes the new one, or is damaged and repaired to the old
// one; only the wrap may lose it. Never a byte programmed without an erase.
class TestPowerCut : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { CStoreRig::InstallSimulator(); }

    void cutAnywhereInACommit_data()
    {
        QTest::addColumn<uint32_t>("productId");
        QTest::addColumn<int>("history");
        for (uint32_t productId : {PULSE, SOLO, DOUBLE}) {
            const QByteArray name = FindDeviceModel(productId)->name;
            QTest::newRow(name + " mid block") << productId << int(ONE_RECORD);
            QTest::newRow(name + " after repairs") << productId << int(AFTER_REPAIRS);
            QTest::newRow(name + " wrap") << productId << int(FULL_BLOCK);
        }
    }
    void cutAnywhereInACommit()
    {
        QFETCH(uint32_t, productId);
        QFETCH(int, history);
        const bool wrap = history == FULL_BLOCK;
        CStoreRig rig(productId);
        QCOMPARE(rig.Table().LoadEachSong(), RESULT_OK);
        // Records fill pages 0 to 63 on the file table, every second page from 2 on the legacy layout.
        const uint32_t records = productId == PULSE ? 64 : rig.Geometry().pagesPerBlock / 2 - 1;
        Bytes first;
        QCOMPARE(WriteSongs(rig, 0, wrap ? int(records) : 1, 0, first), RESULT_OK);
        if (history == AFTER_REPAIRS) {
            const Bytes torn = SongBytes(LENGTH, 50);
            QVERIFY(TearRecordWrite(rig, [&] { rig.Table().WriteSong(0, torn.data(), LENGTH, nullptr); }));
            QVERIFY(TearRecordWrite(rig, [&] { rig.Table().RepairSong(0); }));
            QCOMPARE(rig.Table().RepairSong(0), RESULT_OK);
            QVERIFY(TearRecordWrite(rig, [&] { rig.Table().WriteSong(0, torn.data(), LENGTH, nullptr); }));
            QCOMPARE(rig.Table().RepairSong(0), RESULT_OK);
            QCOMPARE(ReadBack(rig), first);
        }
        const Bytes second = SongBytes(LENGTH, 99);
        CSimFlash before;
        before.CopyFrom(rig.Flash());
        rig.Device().ClearRequests();
        QCOMPARE(rig.Table().WriteSong(0, second.data(), LENGTH, nullptr), RESULT_OK);
        const std::vector<SSimRequest> requests = rig.Device().Requests();
        const uint32_t fatAddress = PageAddress(rig.Geometry(), rig.Geometry().dataBlockCount, 0);

        int counts[4] = {};
        int tagTearsRepaired = 0;
        for (size_t k = 0; k < requests.size(); ++k) {
            // Three drawn tears, and one in the second byte: a record torn there has a tag that is
            // neither whole nor erased.
            const int at = int(k) + 1;
            for (const SSimPowerCut cut :
                 {SSimPowerCut{at, 1}, SSimPowerCut{at, 2}, SSimPowerCut{at, 3}, SSimPowerCut{at, 4, 1}}) {
                const SCutRun run = CutDuring(
                    rig, before, cut, [&] { rig.Table().WriteSong(0, second.data(), LENGTH, nullptr); });
                QCOMPARE(run.loadResult, RESULT_OK);
                QVERIFY(run.poweredOff);
                QVERIFY(run.faultless);
                const EAfterCut outcome = Outcome(rig, first, second);
                QVERIFY2(outcome >= KEPT && outcome <= LOST, qPrintable(QString("cut at %1").arg(k + 1)));
                QVERIFY2(outcome != LOST ||
                             (wrap && InWrapWindow(requests, k, fatAddress, rig.Geometry().blockSize)),
                         qPrintable(QString("song lost by a cut at request %1").arg(k + 1)));
                ++counts[outcome];
                tagTearsRepaired += cut.tornByte == 1 && outcome == REPAIRED ? 1 : 0;
                // Whatever the cut left, the next song is written over erased flash only.
                QCOMPARE(rig.Table().WriteSong(0, second.data(), LENGTH, nullptr), RESULT_OK);
                QVERIFY(rig.Flash().Faults().empty());
            }
        }
        QVERIFY(counts[KEPT] > 0);
        QVERIFY(wrap ? counts[LOST] > 0 : tagTearsRepaired > 0);
        qInfo("%zu requests: %d kept, %d committed, %d repaired, %d lost", requests.size(), counts[KEPT],
              counts[COMMITTED], counts[REPAIRED], counts[LOST]);
    }

    // A power cut at every request of a move or a swap, with several tears each: once repaired, each
    // song is in its old slot or its new one, the move's replaced song excepted, no two slots name
    // the same block, and new songs are written over erased flash only.
    void cutAnywhereInAnArrangement_data()
    {
        QTest::addColumn<int>("arrangement");
        QTest::addColumn<uint32_t>("from");
        QTest::addColumn<uint32_t>("to");
        QTest::addColumn<int>("fromRecords");
        QTest::addColumn<int>("toRecords");
        QTest::newRow("move into an empty higher slot") << int(MOVE) << 1u << 5u << 3 << 0;
        QTest::newRow("move into an empty lower slot") << int(MOVE) << 5u << 1u << 1 << 0;
        QTest::newRow("move onto a song") << int(MOVE) << 5u << 1u << 2 << 2;
        QTest::newRow("swap") << int(SWAP) << 5u << 1u << 3 << 2;
        QTest::newRow("swap, lower record alone") << int(SWAP) << 1u << 5u << 1 << 2;
        QTest::newRow("swap, FAT blocks nearly full") << int(SWAP) << 1u << 5u << 61 << 61;
    }
    void cutAnywhereInAnArrangement()
    {
        QFETCH(int, arrangement);
        QFETCH(uint32_t, from);
        QFETCH(uint32_t, to);
        QFETCH(int, fromRecords);
        QFETCH(int, toRecords);
        CStoreRig rig(PULSE);
        QCOMPARE(rig.Table().LoadEachSong(), RESULT_OK);
        Bytes a;
        Bytes b;
        QCOMPARE(WriteSongs(rig, from, fromRecords, 100, a), RESULT_OK);
        QCOMPARE(WriteSongs(rig, to, toRecords, 200, b), RESULT_OK);
        const auto arrange = [&] {
            return arrangement == MOVE ? rig.Table().MoveSong(from, to) : rig.Table().SwapSongs(from, to);
        };
        CSimFlash before;
        before.CopyFrom(rig.Flash());
        rig.Device().ClearRequests();
        QCOMPARE(arrange(), RESULT_OK);
        const int requests = int(rig.Device().Requests().size());
        int shared = 0;
        for (int k = 1; k <= requests; ++k) {
            for (const SSimPowerCut cut : {SSimPowerCut{k, 1}, SSimPowerCut{k, 2}, SSimPowerCut{k, 3, 1}}) {
                const SCutRun run = CutDuring(rig, before, cut, [&] { arrange(); });
                QCOMPARE(run.loadResult, RESULT_OK);
                QVERIFY(run.poweredOff);
                shared += RepairAfterCut(rig, cut.seed == 1 && arrangement == SWAP ? 2 : 0) ? 1 : 0;
                const Bytes atFrom = ReadBack(rig, from);
                const Bytes atTo = ReadBack(rig, to);
                const bool kept = atFrom == a && (atTo == b || (arrangement == MOVE && atTo.empty()));
                const bool done = atTo == a && atFrom == (arrangement == MOVE ? Bytes() : b);
                QVERIFY2(!rig.Table().HasDamagedSlot() && (kept || done),
                         qPrintable(
                             QString("cut at request %1 of %2, seed %3").arg(k).arg(requests).arg(cut.seed)));
                QCOMPARE(rig.Table().WriteSong(to, a.data(), LENGTH, nullptr), RESULT_OK);
                QVERIFY(rig.Flash().Faults().empty());
            }
        }
        QVERIFY(shared > 0);
    }

    // A delete cut while it erases the FAT block leaves old records scattered over it: the slot
    // shows its song, nothing, or damage, never an older song, and the next song is written only
    // over erased flash and read back after power comes back.
    void tornFatEraseNeverShowsAnOlderSong_data()
    {
        QTest::addColumn<uint32_t>("model");
        QTest::newRow("PULSE RIG") << PULSE;
        QTest::newRow("Corvel Solo") << SOLO;
        QTest::newRow("Corvel Double") << DOUBLE;
    }
    void tornFatEraseNeverShowsAnOlderSong()
    {
        QFETCH(uint32_t, model);
        CStoreRig rig(model);
        QCOMPARE(rig.Table().LoadEachSong(), RESULT_OK);
        Bytes last;
        QCOMPARE(WriteSongs(rig, 0, 10, 0, last), RESULT_OK);
        CSimFlash before;
        before.CopyFrom(rig.Flash());
        int damaged = 0;
        for (uint32_t seed = 1; seed <= 40; ++seed) {
            int32_t erased = RESULT_OK;
            const SCutRun run = CutDuring(rig, before, {1, seed}, [&] { erased = rig.Table().EraseSong(0); });
            QCOMPARE(run.loadResult, RESULT_OK);
            QCOMPARE(erased, RESULT_FLASH_ERASE_FAILED);
            rig.Table().LoadEachSong();
            if (rig.Table().SlotLoadResult(0) != RESULT_OK) {
                ++damaged;
                QVERIFY(!rig.Table().SongRecoverable(0));
                QCOMPARE(rig.Table().EraseSong(0), RESULT_OK);
                QCOMPARE(rig.Table().ReloadSong(0), RESULT_OK);
            } else if (rig.Table().Store(0)->HasSong()) {
                QCOMPARE(ReadBack(rig), last);
            }
            QCOMPARE(rig.Table().WriteSong(0, last.data(), LENGTH, nullptr), RESULT_OK);
            QVERIFY(rig.Flash().Faults().empty());
            rig.PlugBackIn();
            QCOMPARE(rig.Table().LoadEachSong(), RESULT_OK);
            QCOMPARE(ReadBack(rig), last);
        }
        QVERIFY(damaged > 0);
    }

    // BRINDLE_SIM_POWERCUT cuts the looper that BRINDLE_SIM_FLASH keeps: the torn record stays in the
    // file, and the looper started from it next offers the previous song for repair.
    void powerCutNamedInTheEnvironmentStaysInTheFlashFile()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath("looper.flash");
        qputenv("BRINDLE_SIM_MODEL", QByteArray::number(PULSE));
        qputenv("BRINDLE_SIM_FLASH", path.toUtf8());
        const Bytes first = SongBytes(LENGTH, 1);
        const Bytes second = SongBytes(LENGTH, 2);
        QCOMPARE(WriteThroughEnvironment(first), RESULT_OK);
        QFile::copy(path, path + ".first");
        QCOMPARE(WriteThroughEnvironment(second), RESULT_OK);
        const int commit = m_nLastRecordWrite;
        QFile::remove(path);
        QFile::copy(path + ".first", path);
        qputenv("BRINDLE_SIM_POWERCUT", QByteArray::number(commit) + ":7");
        QVERIFY(WriteThroughEnvironment(second) != RESULT_OK);
        qunsetenv("BRINDLE_SIM_POWERCUT");

        QString errorText;
        QVERIFY(ChooseMidiBackend("simulator", errorText));
        CUSBPort port;
        QVERIFY(port.Connect(0));
        CLooperSongTable table(port);
        QCOMPARE(table.LoadEachSong(), RESULT_CHECKSUM_ERROR);
        QVERIFY(table.SongRecoverable(0));
        QCOMPARE(table.RepairSong(0), RESULT_OK);
        Bytes back(LENGTH);
        QCOMPARE(table.ReadSong(0, back.data(), LENGTH, nullptr), RESULT_OK);
        QCOMPARE(back, first);

        port.Disconnect();
        qunsetenv("BRINDLE_SIM_MODEL");
        qunsetenv("BRINDLE_SIM_FLASH");
        CSimBus::Instance().Clear();
        CStoreRig::InstallSimulator();
    }

private:
    // Writes slot 1 of the looper the environment describes, then lets it go so that it saves its
    // flash; notes the request that wrote the slot's record.
    int32_t WriteThroughEnvironment(const Bytes &song)
    {
        QString errorText;
        if (!ChooseMidiBackend("simulator", errorText))
            return RESULT_DEVICE_NOT_OPEN;
        std::weak_ptr<CSimDevice> looper = CSimBus::Instance().Devices().front();
        int32_t result = RESULT_DEVICE_NOT_OPEN;
        {
            CUSBPort port;
            CLooperSongTable table(port);
            table.SetRandomSource([]() { return uint32_t(0); });
            if (port.Connect(0) && table.LoadEachSong() == RESULT_OK)
                result = table.WriteSong(0, song.data(), LENGTH, nullptr);
            NoteLastRecordWrite(*looper.lock());
            port.Disconnect();
        }
        CSimBus::Instance().Clear();
        // The bus thread may still hold the looper for a moment; its flash is saved when it goes.
        for (int waited = 0; waited < 5000 && !looper.expired(); waited += 10)
            QTest::qWait(10);
        return looper.expired() ? result : RESULT_DEVICE_NOT_OPEN;
    }
    void NoteLastRecordWrite(const CSimDevice &looper)
    {
        const FlashGeometry &geometry = *FindDeviceModel(PULSE)->geometry;
        const uint32_t fat = PageAddress(geometry, geometry.dataBlockCount, 0);
        for (const SSimRequest &request : looper.Requests()) {
            if (request.command == CMD_WRITE && request.area == 1 && request.address >= fat &&
                request.address < fat + geometry.blockSize)
                m_nLastRecordWrite = request.number;
        }
    }

    int m_nLastRecordWrite = 0;
};

QTEST_GUILESS_MAIN(TestPowerCut)
#include "tst_powercut.moc"
