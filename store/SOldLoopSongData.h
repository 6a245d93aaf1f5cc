#pragma once

#include <cstdint>

// The legacy FAT record as it lies on the flash, 2624 bytes, little-endian fields kept as bytes
// so that the layout cannot depend on the compiler's alignment.
struct SOldLoopSongData {
    static constexpr uint32_t BLOCK_ENTRIES = 1300;

    char tag[6];
    uint8_t tagEnd;
    uint8_t unwritten1;
    uint8_t one;
    uint8_t unwritten2;
    uint8_t reserved[2];
    uint8_t lastBlock[2];
    uint8_t lastPage;
    uint8_t lastGroup;
    uint8_t blocks[2 * BLOCK_ENTRIES];
    char closingTag[6];
    uint8_t closingTagEnd;
    uint8_t unwritten3;

    // "looper" followed by 0x00; the closing tag is written but never checked.
    bool IsValid() const;
    // Begun ("lo") but without its closing tag: programming stopped part way, the last bytes were
    // never written.
    bool IsTorn() const;
    uint32_t LastBlock() const;
    uint16_t Block(uint32_t k) const;
    void SetBlock(uint32_t k, uint16_t block);
    // 0xFF everywhere but the tags, the fixed bytes and the given ordinals; blocks all 0xFFFF.
    void Build(uint32_t lastBlockOrdinal, uint8_t lastPageOrdinal, uint8_t lastGroupOrdinal);
};

static_assert(sizeof(SOldLoopSongData) == 2624, "the legacy record is 2624 bytes on the flash");
