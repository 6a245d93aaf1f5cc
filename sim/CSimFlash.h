#pragma once

#include <QString>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

enum ESimFlashOperationKind { SIM_FLASH_ERASE, SIM_FLASH_PROGRAM };

struct SSimFlashOperation {
    ESimFlashOperationKind kind;
    uint8_t area;
    uint32_t address; // where the range acted upon starts: an erase covers its whole sector
    uint32_t length;
    uint32_t requested; // the address the request named, so tests can tell a wrong one in the sector
};

// A write that needed a bit set on flash that was not erased there.
struct SFlashFault {
    uint8_t area;
    uint32_t address;
    uint8_t oldByte;
    uint8_t wantedByte;
};

// The looper's flash: one 32-bit address space per memory area, stored sparsely in chunks that
// exist only once written, so erased bytes (0xFF) cost nothing. Erasing sets a whole sector to
// 0xFF; programming can only clear bits, as real NOR flash does. Safe to use from any thread.
class CSimFlash {
public:
    static constexpr uint32_t CHUNK_SIZE = 4096;
    static constexpr uint32_t DEFAULT_ERASE_SIZE = 4096;

    CSimFlash();

    void SetEraseSize(uint8_t area, uint32_t size);
    uint32_t EraseSize(uint8_t area) const;
    void Erase(uint8_t area, uint32_t address);
    void Program(uint8_t area, uint32_t address, const uint8_t *data, uint32_t length);
    // What power lost in the middle leaves: an erase turns a seeded share of its sector's bytes to
    // 0xFF and keeps the rest; a program applies a prefix of its bytes (seeded unless `tornByte` is
    // given, from 0) and, of the byte after it, some of the bits it was to clear.
    void TornErase(uint8_t area, uint32_t address, uint32_t seed);
    void TornProgram(uint8_t area, uint32_t address, const uint8_t *data, uint32_t length, uint32_t seed,
                     int tornByte = -1);
    // The same bytes and sector sizes as `other`, as when its chip is moved to a new looper.
    void CopyFrom(const CSimFlash &other);
    std::vector<uint8_t> Read(uint8_t area, uint32_t address, uint32_t length) const;
    uint16_t Sum(uint8_t area, uint32_t address, uint32_t length) const;
    // Sets bytes directly, for test set-up and the identity block: no flash rules, no log entry.
    void Poke(uint8_t area, uint32_t address, const std::vector<uint8_t> &bytes);

    std::vector<SFlashFault> Faults() const;
    std::vector<SSimFlashOperation> Operations() const;
    void ClearLog();

    // Writes the flash to fd at its current offset; false at the first failed write (errno tells).
    bool Save(int fd) const;
    // Replaces the flash by the `size` bytes fd reads from its current offset; false with the reason
    // when they are not a saved flash, the flash then unchanged.
    bool Load(int fd, uint64_t size, std::string &reason);

private:
    using ChunkKey = uint64_t;
    static ChunkKey Key(uint8_t area, uint64_t address)
    {
        return (uint64_t(area) << 32) | (address / CHUNK_SIZE);
    }
    // The chunk holding address, created erased if it was not there yet.
    std::vector<uint8_t> &WritableChunk(uint8_t area, uint64_t address);
    // Null while the chunk holding address is all erased.
    const uint8_t *ChunkBytes(uint8_t area, uint64_t address) const;
    void FillErased(uint8_t area, uint64_t start, uint64_t end);
    void ProgramLocked(uint8_t area, uint32_t address, const uint8_t *data, uint32_t length);

    mutable std::mutex m_mutex;
    std::map<ChunkKey, std::vector<uint8_t>> m_chunks;
    std::map<uint8_t, uint32_t> m_eraseSizes;
    std::vector<SFlashFault> m_faults;
    std::vector<SSimFlashOperation> m_operations;
};
