#include "CSimFlash.h"

#include <QtTest>

#include <bitset>
#include <random>

namespace {
const uint8_t AREA = 1;
const uint32_t ERASE_SIZE = 0x2000;
// Six chunks and some, starting inside one: requests cross chunk edges, erases drop whole chunks.
const uint32_t WINDOW_START = 0x1F400;
const uint32_t WINDOW_LENGTH = 6 * CSimFlash::CHUNK_SIZE + 0x700;

// The flash rules one byte at a time over a flat window: what the simulated flash must equal.
struct SFlatFlash {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(WINDOW_LENGTH, 0xFF);
    std::vector<SFlashFault> faults;
    std::vector<SSimFlashOperation> operations;

    uint8_t &At(uint32_t address) { return bytes[address - WINDOW_START]; }
    uint32_t SectorStart(uint32_t address) const { return address - address % ERASE_SIZE; }
    void Erase(uint32_t address, uint32_t seed, bool torn)
    {
        const uint32_t start = SectorStart(address);
        std::mt19937 random(seed);
        const uint32_t erasedPerMille = torn ? random() % 1001 : 1000;
        for (uint32_t at = start; at < start + ERASE_SIZE; ++at) {
            if (!torn || random() % 1000 < erasedPerMille)
                At(at) = 0xFF;
        }
        operations.push_back({SIM_FLASH_ERASE, AREA, start, ERASE_SIZE, address});
    }
    void Program(uint32_t address, const std::vector<uint8_t> &data, uint32_t length)
    {
        bool faulted = false;
        for (uint32_t i = 0; i < length; ++i) {
            uint8_t &byte = At(address + i);
            if ((byte & data[i]) != data[i] && !faulted) {
                faults.push_back({AREA, address + i, byte, data[i]});
                faulted = true;
            }
            byte &= data[i];
        }
        operations.push_back({SIM_FLASH_PROGRAM, AREA, address, length, address});
    }
};
} // namespace

// The chunked flash against the byte-by-byte rules: the same bytes, sums, faults and log.
class TestSimFlash : public QObject {
    Q_OBJECT

private slots:
    void chunkedFlashKeepsTheByteRules()
    {
        CSimFlash flash;
        flash.SetEraseSize(AREA, ERASE_SIZE);
        SFlatFlash flat;
        std::mt19937 random(20261207);
        for (int step = 0; step < 300; ++step) {
            const uint32_t sector = WINDOW_START + ERASE_SIZE + random() % (WINDOW_LENGTH - 2 * ERASE_SIZE);
            const uint32_t seed = random();
            const uint32_t length = 1 + random() % (2 * CSimFlash::CHUNK_SIZE);
            const uint32_t address = WINDOW_START + random() % (WINDOW_LENGTH - length);
            std::vector<uint8_t> data(length);
            for (uint8_t &byte : data)
                byte = uint8_t(random() | random());
            switch (random() % 4) {
            case 0:
                flash.Erase(AREA, sector);
                flat.Erase(sector, seed, false);
                break;
            case 1:
                flash.TornErase(AREA, sector, seed);
                flat.Erase(sector, seed, true);
                break;
            case 2:
                flash.Program(AREA, address, data.data(), length);
                flat.Program(address, data, length);
                break;
            default: {
                // A prefix, then one byte that lost some of the bits it was to lose, not none, not all.
                const uint32_t n = uint32_t(std::mt19937(seed)() % (uint64_t(length) + 1));
                const uint8_t old = flat.At(address + std::min(n, length - 1));
                flash.TornProgram(AREA, address, data.data(), length, seed);
                std::vector<uint8_t> applied(data.begin(), data.begin() + std::min(n + 1, length));
                if (n < length) {
                    const uint8_t cleared = old & ~flash.Read(AREA, address + n, 1)[0],
                                  toClear = old & ~data[n];
                    QVERIFY((cleared & ~toClear) == 0 &&
                            (std::bitset<8>(toClear).count() < 2 || (cleared != 0 && cleared != toClear)));
                    applied[n] = old & ~cleared;
                }
                flat.Program(address, applied, uint32_t(applied.size()));
            }
            }
            QCOMPARE(flash.Sum(AREA, address, length),
                     uint16_t(std::accumulate(&flat.At(address), &flat.At(address) + length, 0u)));
        }
        QVERIFY(flash.Read(AREA, WINDOW_START, WINDOW_LENGTH) == flat.bytes);
        QVERIFY(flat.faults.size() > 10);
        CompareLogs(flash, flat);
    }

    void rangesStopAtTheTopOfTheAddressSpace()
    {
        CSimFlash flash;
        const std::vector<uint8_t> data(CSimFlash::CHUNK_SIZE + 9, 0x3C);
        flash.Program(2, 0xFFFFFFF8, data.data(), uint32_t(data.size()));
        QCOMPARE(flash.Read(2, 0xFFFFFFF6, 100),
                 std::vector<uint8_t>({0xFF, 0xFF, 0x3C, 0x3C, 0x3C, 0x3C, 0x3C, 0x3C, 0x3C, 0x3C}));
        QCOMPARE(flash.Sum(2, 0xFFFFFFF0, 100), uint16_t(8 * 0xFF + 8 * 0x3C));
        QCOMPARE(flash.Read(2, 0, 4), std::vector<uint8_t>(4, 0xFF));
    }

private:
    static void CompareLogs(const CSimFlash &flash, const SFlatFlash &flat)
    {
        const std::vector<SFlashFault> faults = flash.Faults();
        QCOMPARE(faults.size(), flat.faults.size());
        for (size_t i = 0; i < faults.size(); ++i) {
            QCOMPARE(faults[i].address, flat.faults[i].address);
            QCOMPARE(faults[i].oldByte, flat.faults[i].oldByte);
            QCOMPARE(faults[i].wantedByte, flat.faults[i].wantedByte);
        }
        const std::vector<SSimFlashOperation> operations = flash.Operations();
        QCOMPARE(operations.size(), flat.operations.size());
        for (size_t i = 0; i < operations.size(); ++i) {
            QCOMPARE(operations[i].kind, flat.operations[i].kind);
            QCOMPARE(operations[i].address, flat.operations[i].address);
            QCOMPARE(operations[i].length, flat.operations[i].length);
            QCOMPARE(operations[i].requested, flat.operations[i].requested);
        }
    }
};

QTEST_GUILESS_MAIN(TestSimFlash)
#include "tst_simflash.moc"
