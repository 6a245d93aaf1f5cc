#include "CPackageBuilder.h"

#include <QFile>

#include <zlib.h>

namespace {

const int BLOCK = 128;
const int CHECKSUM_AT = 124;

void PutLE32(QByteArray &bytes, int at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char(value >> (8 * i));
}

void Seal(QByteArray &block)
{
    uint32_t sum = 0;
    for (int i = 0; i < CHECKSUM_AT; ++i)
        sum += uint8_t(block[i]);
    PutLE32(block, CHECKSUM_AT, sum);
}

} // namespace

CPackageBuilder &CPackageBuilder::SetProduct(const QByteArray &productText)
{
    m_productText = productText;
    return *this;
}

CPackageBuilder &CPackageBuilder::AddItem(const QByteArray &layoutText, const QByteArray &image)
{
    m_items.push_back({layoutText, image});
    return *this;
}

CPackageBuilder &CPackageBuilder::SetToken(const QByteArray &token)
{
    m_token = token;
    return *this;
}

CPackageBuilder &CPackageBuilder::SetCountByte(uint8_t count)
{
    m_nCountByte = count;
    return *this;
}

CPackageBuilder &CPackageBuilder::CorruptHeaderByte(int offset)
{
    m_headerCorruptions.push_back(offset);
    return *this;
}

CPackageBuilder &CPackageBuilder::CorruptDataHeaderByte(int item, int offset)
{
    m_dataCorruptions.push_back({item, offset});
    return *this;
}

CPackageBuilder &CPackageBuilder::SetDataField(int item, int offset, uint32_t value)
{
    m_dataFields[{item, offset}] = value;
    return *this;
}

CPackageBuilder &CPackageBuilder::SetUnpackedLengthDelta(int item, int64_t delta)
{
    m_unpackedDeltas[item] = delta;
    return *this;
}

CPackageBuilder &CPackageBuilder::SetScrambled(bool scrambled)
{
    m_bScrambled = scrambled;
    return *this;
}

CPackageBuilder &CPackageBuilder::TruncateTo(int size)
{
    m_nTruncateTo = size;
    return *this;
}

QByteArray CPackageBuilder::Header() const
{
    QByteArray header(BLOCK, '\0');
    for (int i = 0; i < 32; ++i)
        header[i] = char(0x40 + i);
    header.replace(32, m_productText.size(), m_productText);
    header.replace(112, 11, m_token.leftJustified(11, '\0', true));
    header[123] = char(m_nCountByte >= 0 ? m_nCountByte : int(m_items.size()));
    Seal(header);
    for (int offset : m_headerCorruptions)
        header[offset] = char(header[offset] ^ 0x5A);
    return header;
}

QByteArray CPackageBuilder::Packed(const QByteArray &image) const
{
    uLongf length = compressBound(uLong(image.size()));
    QByteArray packed(int(length), '\0');
    compress(reinterpret_cast<Bytef *>(packed.data()), &length,
             reinterpret_cast<const Bytef *>(image.constData()), uLong(image.size()));
    packed.truncate(int(length));
    if (m_bScrambled) {
        for (char &byte : packed)
            byte = char(byte ^ 0xA7);
    }
    return packed;
}

QByteArray CPackageBuilder::DataHeader(int item, uint32_t layoutOffset, uint32_t packedOffset,
                                       const QByteArray &packed) const
{
    QByteArray header(BLOCK, '\0');
    const QByteArray name = QByteArray("item ") + QByteArray::number(item + 1);
    header.replace(0, name.size(), name);
    const SItem &source = m_items[size_t(item)];
    PutLE32(header, LAYOUT_OFFSET_FIELD, layoutOffset);
    PutLE32(header, LAYOUT_LENGTH_FIELD, uint32_t(source.layout.size()));
    PutLE32(header, PACKED_LENGTH_FIELD, uint32_t(packed.size()));
    PutLE32(header, PACKED_OFFSET_FIELD, packedOffset);
    const auto delta = m_unpackedDeltas.find(item);
    const int64_t unpacked = source.image.size() + (delta == m_unpackedDeltas.end() ? 0 : delta->second);
    PutLE32(header, UNPACKED_LENGTH_FIELD, uint32_t(unpacked));
    for (const auto &field : m_dataFields) {
        if (field.first.first == item)
            PutLE32(header, field.first.second, field.second);
    }
    Seal(header);
    for (const auto &corruption : m_dataCorruptions) {
        if (corruption.first == item)
            header[corruption.second] = char(header[corruption.second] ^ 0x5A);
    }
    return header;
}

QByteArray CPackageBuilder::Build() const
{
    QByteArray headers = Header();
    QByteArray body;
    const uint32_t dataStart = uint32_t(BLOCK * (m_items.size() + 1));
    for (size_t i = 0; i < m_items.size(); ++i) {
        const uint32_t layoutOffset = dataStart + uint32_t(body.size());
        body += m_items[i].layout;
        const QByteArray packed = Packed(m_items[i].image);
        headers += DataHeader(int(i), layoutOffset, dataStart + uint32_t(body.size()), packed);
        body += packed;
    }
    QByteArray file = headers + body;
    if (m_nTruncateTo >= 0)
        file.truncate(m_nTruncateTo);
    return file;
}

bool CPackageBuilder::Write(const QString &strPath) const
{
    QFile file(strPath);
    const QByteArray bytes = Build();
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray CPackageBuilder::LayoutText(uint32_t area, uint32_t start, uint32_t sectors, uint32_t sectorSize)
{
    return QString::asprintf("[FLASH 1]\r\nTYPE=%u\r\nStart Address=0x%08X\r\nEnd Address=0x%08X\r\n"
                             "Sector Size=%u\r\n",
                             area, start, uint32_t(start + uint64_t(sectors) * sectorSize), sectorSize)
        .toLatin1();
}

QByteArray CPackageBuilder::PatternImage(uint32_t size, uint32_t seed)
{
    QByteArray image(int(size), '\0');
    uint32_t state = seed * 2654435761u + 1;
    for (uint32_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        image[int(i)] = char(state >> 16);
    }
    return image;
}
