#pragma once

#include "ByteOrder.h"

#include <cstdint>

// One 128-byte entry of a package's data header table, kept as read so its checksum can be
// recomputed over exactly the bytes of the file.
struct SPackageDataHeader {
    static constexpr uint32_t SIZE = 128;
    static constexpr uint32_t CHECKSUM_OFFSET = 124;

    uint8_t bytes[SIZE];

    uint32_t LayoutOffset() const { return GetLE32(bytes + 64); }
    uint32_t LayoutLength() const { return GetLE32(bytes + 68); }
    uint32_t PackedLength() const { return GetLE32(bytes + 76); }
    uint32_t PackedOffset() const { return GetLE32(bytes + 112); }
    uint32_t UnpackedLength() const { return GetLE32(bytes + 116); }
    uint32_t StoredChecksum() const { return GetLE32(bytes + CHECKSUM_OFFSET); }
};
