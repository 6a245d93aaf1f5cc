#include "CSimFlash.h"

#include "WholeFileIo.h"

#include <cerrno>
#include <cstring>
#include <numeric>
#include <random>

#include <unistd.h>

namespace {
const uint64_t ADDRESS_SPACE = uint64_t(1) << 32;
const char FILE_MAGIC[8] = {'B', 'R', 'S', 'F', 'L', 'A', 'S', '1'};

uint64_t RangeEnd(uint32_t address, uint32_t length)
{
    return std::min<uint64_t>(uint64_t(address) + length, ADDRESS_SPACE);
}

// Calls visit(at, offset, count) for each piece of [start, end) that lies within one chunk: at is
// the piece's first address, offset its place in that chunk.
template <typename Visit> void ForEachChunkPiece(uint64_t start, uint64_t end, Visit visit)
{
    for (uint64_t at = start; at < end;) {
        const uint32_t offset = uint32_t(at % CSimFlash::CHUNK_SIZE);
        const uint32_t count = uint32_t(std::min<uint64_t>(end - at, CSimFlash::CHUNK_SIZE - offset));
        visit(at, offset, count);
        at += count;
    }
}

// A byte whose programming stopped part way: some of the bits it was to clear are cleared, not
// none and not all where it was to clear more than one (a byte with all or none done is whole
// or untouched).
uint8_t PartlyProgrammed(uint8_t old, uint8_t wanted, std::mt19937 &random)
{
    const uint8_t toClear = old & uint8_t(~wanted);
    const bool oneBit = (toClear & (toClear - 1)) == 0;
    for (;;) {
        const uint8_t cleared = toClear & uint8_t(random());
        if (oneBit || (cleared != 0 && cleared != toClear))
            return uint8_t(old & ~cleared);
    }
}

// Index of the first byte that would need a bit set to become wanted; count when there is none.
uint32_t FirstBitToSet(const uint8_t *bytes, const uint8_t *wanted, uint32_t count)
{
    uint32_t index = 0;
    while (index < count && (bytes[index] & wanted[index]) == wanted[index])
        ++index;
    return index;
}
} // namespace

CSimFlash::CSimFlash()
{
    // Area 0 holds the identity block and the song-file flag sectors, 2048 bytes apart.
    m_eraseSizes[0] = 2048;
}

void CSimFlash::SetEraseSize(uint8_t area, uint32_t size)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_eraseSizes[area] = size == 0 ? DEFAULT_ERASE_SIZE : size;
}

uint32_t CSimFlash::EraseSize(uint8_t area) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_eraseSizes.find(area);
    return found == m_eraseSizes.end() ? DEFAULT_ERASE_SIZE : found->second;
}

std::vector<uint8_t> &CSimFlash::WritableChunk(uint8_t area, uint64_t address)
{
    std::vector<uint8_t> &chunk = m_chunks[Key(area, address)];
    if (chunk.empty())
        chunk.assign(CHUNK_SIZE, 0xFF);
    return chunk;
}

const uint8_t *CSimFlash::ChunkBytes(uint8_t area, uint64_t address) const
{
    const auto found = m_chunks.find(Key(area, address));
    return found == m_chunks.end() ? nullptr : found->second.data();
}

void CSimFlash::FillErased(uint8_t area, uint64_t start, uint64_t end)
{
    ForEachChunkPiece(start, end, [&](uint64_t at, uint32_t offset, uint32_t count) {
        const auto found = m_chunks.find(Key(area, at));
        if (found == m_chunks.end())
            return;
        if (count == CHUNK_SIZE)
            m_chunks.erase(found);
        else
            std::fill_n(found->second.begin() + offset, count, 0xFF);
    });
}

void CSimFlash::Erase(uint8_t area, uint32_t address)
{
    const uint32_t size = EraseSize(area);
    std::lock_guard<std::mutex> lock(m_mutex);
    const uint64_t start = address - address % size;
    FillErased(area, start, std::min<uint64_t>(start + size, ADDRESS_SPACE));
    m_operations.push_back({SIM_FLASH_ERASE, area, uint32_t(start), size, address});
}

void CSimFlash::Program(uint8_t area, uint32_t address, const uint8_t *data, uint32_t length)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ProgramLocked(area, address, data, length);
}

void CSimFlash::ProgramLocked(uint8_t area, uint32_t address, const uint8_t *data, uint32_t length)
{
    bool faulted = false;
    ForEachChunkPiece(address, RangeEnd(address, length), [&](uint64_t at, uint32_t offset, uint32_t count) {
        uint8_t *bytes = WritableChunk(area, at).data() + offset;
        const uint8_t *wanted = data + (at - address);
        const uint32_t fault = faulted ? count : FirstBitToSet(bytes, wanted, count);
        if (fault < count) {
            m_faults.push_back({area, uint32_t(at + fault), bytes[fault], wanted[fault]});
            faulted = true;
        }
        for (uint32_t i = 0; i < count; ++i)
            bytes[i] &= wanted[i];
    });
    m_operations.push_back({SIM_FLASH_PROGRAM, area, address, length, address});
}

void CSimFlash::TornErase(uint8_t area, uint32_t address, uint32_t seed)
{
    const uint32_t size = EraseSize(area);
    std::lock_guard<std::mutex> lock(m_mutex);
    std::mt19937 random(seed);
    // The share erased is drawn first, so that both nearly untouched and nearly erased sectors occur.
    const uint32_t erasedPerMille = random() % 1001;
    const uint64_t start = address - address % size;
    const uint64_t end = std::min<uint64_t>(start + size, ADDRESS_SPACE);
    // One draw per byte of the sector, erased or not, so the outcome depends on the seed alone.
    ForEachChunkPiece(start, end, [&](uint64_t at, uint32_t offset, uint32_t count) {
        const auto found = m_chunks.find(Key(area, at));
        if (found == m_chunks.end()) {
            random.discard(count);
            return;
        }
        uint8_t *bytes = found->second.data() + offset;
        for (uint32_t i = 0; i < count; ++i) {
            if (random() % 1000 < erasedPerMille)
                bytes[i] = 0xFF;
        }
    });
    m_operations.push_back({SIM_FLASH_ERASE, area, uint32_t(start), uint32_t(end - start), address});
}

void CSimFlash::TornProgram(uint8_t area, uint32_t address, const uint8_t *data, uint32_t length,
                            uint32_t seed, int tornByte)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::mt19937 random(seed);
    const uint32_t drawn = uint32_t(random() % (uint64_t(length) + 1));
    const uint32_t whole = tornByte < 0 ? drawn : std::min(uint32_t(tornByte), length);
    if (whole == length) {
        ProgramLocked(area, address, data, length);
        return;
    }
    const uint64_t at = uint64_t(address) + whole;
    const uint8_t *chunk = ChunkBytes(area, at);
    std::vector<uint8_t> applied(data, data + whole + 1);
    applied[whole] = PartlyProgrammed(chunk ? chunk[at % CHUNK_SIZE] : 0xFF, data[whole], random);
    ProgramLocked(area, address, applied.data(), whole + 1);
}

void CSimFlash::CopyFrom(const CSimFlash &other)
{
    if (&other == this)
        return;
    std::scoped_lock lock(m_mutex, other.m_mutex);
    m_chunks = other.m_chunks;
    m_eraseSizes = other.m_eraseSizes;
}

std::vector<uint8_t> CSimFlash::Read(uint8_t area, uint32_t address, uint32_t length) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const uint64_t end = RangeEnd(address, length);
    std::vector<uint8_t> bytes(size_t(end - address), 0xFF);
    ForEachChunkPiece(address, end, [&](uint64_t at, uint32_t offset, uint32_t count) {
        if (const uint8_t *chunk = ChunkBytes(area, at))
            std::copy_n(chunk + offset, count, bytes.begin() + (at - address));
    });
    return bytes;
}

uint16_t CSimFlash::Sum(uint8_t area, uint32_t address, uint32_t length) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    uint32_t sum = 0;
    ForEachChunkPiece(address, RangeEnd(address, length), [&](uint64_t at, uint32_t offset, uint32_t count) {
        const uint8_t *chunk = ChunkBytes(area, at);
        if (!chunk)
            sum += count * 0xFFu;
        else
            sum = std::accumulate(chunk + offset, chunk + offset + count, sum);
    });
    return uint16_t(sum);
}

void CSimFlash::Poke(uint8_t area, uint32_t address, const std::vector<uint8_t> &bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ForEachChunkPiece(address, RangeEnd(address, uint32_t(bytes.size())),
                      [&](uint64_t at, uint32_t offset, uint32_t count) {
                          std::copy_n(bytes.begin() + (at - address), count,
                                      WritableChunk(area, at).begin() + offset);
                      });
}

std::vector<SFlashFault> CSimFlash::Faults() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_faults;
}

std::vector<SSimFlashOperation> CSimFlash::Operations() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_operations;
}

void CSimFlash::ClearLog()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faults.clear();
    m_operations.clear();
}

// File: magic, chunk count, then per chunk its 8-byte key and CHUNK_SIZE bytes (host order:
// the file only carries a simulated flash between runs on one machine).
bool CSimFlash::Save(int fd) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const uint64_t count = m_chunks.size();
    if (!WriteWhole(fd, FILE_MAGIC, sizeof FILE_MAGIC) || !WriteWhole(fd, &count, sizeof count))
        return false;
    std::vector<char> record(sizeof(ChunkKey) + CHUNK_SIZE);
    for (const auto &chunk : m_chunks) {
        std::memcpy(record.data(), &chunk.first, sizeof chunk.first);
        std::memcpy(record.data() + sizeof chunk.first, chunk.second.data(), CHUNK_SIZE);
        if (!WriteWhole(fd, record.data(), record.size()))
            return false;
    }
    return true;
}

bool CSimFlash::Load(int fd, uint64_t size, std::string &reason)
{
    const uint64_t header = sizeof FILE_MAGIC + sizeof(uint64_t);
    const uint64_t perChunk = sizeof(ChunkKey) + CHUNK_SIZE;
    char magic[sizeof FILE_MAGIC] = {};
    uint64_t count = 0;
    if (size < header || !ReadWhole(fd, magic, sizeof magic) ||
        !std::equal(magic, magic + sizeof magic, FILE_MAGIC) || !ReadWhole(fd, &count, sizeof count)) {
        reason = "it is not a simulated looper's flash";
        return false;
    }
    if ((size - header) % perChunk != 0 || (size - header) / perChunk != count) {
        reason = "its size (" + std::to_string(size) + " bytes) does not match its header (" +
                 std::to_string(count) + " chunks of " + std::to_string(perChunk) + " bytes)";
        return false;
    }
    std::map<ChunkKey, std::vector<uint8_t>> chunks;
    for (uint64_t i = 0; i < count; ++i) {
        ChunkKey key = 0;
        std::vector<uint8_t> bytes(CHUNK_SIZE);
        if (!ReadWhole(fd, &key, sizeof key) || !ReadWhole(fd, bytes.data(), CHUNK_SIZE)) {
            reason = std::string("it could not be read: ") + std::strerror(errno != 0 ? errno : EIO);
            return false;
        }
        if ((key >> 32) > 0xFF || (key & 0xFFFFFFFFu) >= ADDRESS_SPACE / CHUNK_SIZE ||
            !chunks.emplace(key, std::move(bytes)).second) {
            reason = "it names a place outside the flash, or one place twice";
            return false;
        }
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_chunks = std::move(chunks);
    return true;
}
