#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

// Makes firmware packages for tests and demos: a product id text, items of layout text and
// image, correct checksums, zlib compression and scrambling, with knobs that break one thing each.
class CPackageBuilder {
public:
    explicit CPackageBuilder(const QByteArray &productText = "10003") : m_productText(productText) {}

    CPackageBuilder &SetProduct(const QByteArray &productText);
    CPackageBuilder &AddItem(const QByteArray &layoutText, const QByteArray &image);

    CPackageBuilder &SetToken(const QByteArray &token);
    // The count byte, written under a correct header checksum.
    CPackageBuilder &SetCountByte(uint8_t count);
    // Change a byte after the checksum was computed, so the checksum no longer matches.
    CPackageBuilder &CorruptHeaderByte(int offset);
    CPackageBuilder &CorruptDataHeaderByte(int item, int offset);
    // A data header field replaced, its checksum still correct.
    CPackageBuilder &SetDataField(int item, int offset, uint32_t value);
    // The unpacked length field set to the real length plus delta.
    CPackageBuilder &SetUnpackedLengthDelta(int item, int64_t delta);
    CPackageBuilder &SetScrambled(bool scrambled);
    CPackageBuilder &TruncateTo(int size);

    QByteArray Build() const;
    bool Write(const QString &strPath) const;

    static constexpr int LAYOUT_OFFSET_FIELD = 64;
    static constexpr int LAYOUT_LENGTH_FIELD = 68;
    static constexpr int PACKED_LENGTH_FIELD = 76;
    static constexpr int PACKED_OFFSET_FIELD = 112;
    static constexpr int UNPACKED_LENGTH_FIELD = 116;

    // One FLASH group of `sectors` sectors of `sectorSize` bytes from `start`.
    static QByteArray LayoutText(uint32_t area, uint32_t start, uint32_t sectors, uint32_t sectorSize);
    // Bytes that do not compress to nothing, different for each seed.
    static QByteArray PatternImage(uint32_t size, uint32_t seed);

private:
    struct SItem {
        QByteArray layout;
        QByteArray image;
    };

    QByteArray Header() const;
    QByteArray DataHeader(int item, uint32_t layoutOffset, uint32_t packedOffset,
                          const QByteArray &packed) const;
    QByteArray Packed(const QByteArray &image) const;

    QByteArray m_productText;
    QByteArray m_token = "Data Number";
    std::vector<SItem> m_items;
    int m_nCountByte = -1;
    std::vector<int> m_headerCorruptions;
    std::vector<std::pair<int, int>> m_dataCorruptions;
    std::map<std::pair<int, int>, uint32_t> m_dataFields;
    std::map<int, int64_t> m_unpackedDeltas;
    bool m_bScrambled = true;
    int m_nTruncateTo = -1;
};
