#include "CFirmwarePackage.h"

#include "Messages.h"
#include "PackageChecksum.h"
#include "Scramble.h"

#include <boost/shared_array.hpp>
#include <zlib.h>

#include <QDebug>

#include <algorithm>
#include <cstring>

namespace {

const char PACKAGE_TOKEN[] = "Data Number";
const uint32_t TOKEN_OFFSET = 112;
const uint32_t TOKEN_LENGTH = 11;
const uint32_t COUNT_OFFSET = 123;
const uint32_t HEADER_CHECKSUM_OFFSET = 124;
const uint32_t PRODUCT_OFFSET = 32;
const uint32_t PRODUCT_LENGTH = 80;
// A packed image may come out slightly larger than the image itself when it does not compress.
const uint32_t MAX_PACKED_LENGTH = CFirmwarePackage::MAX_IMAGE_LENGTH + (1u << 20);

bool RangeInFile(uint32_t offset, uint32_t length, qint64 nFileSize)
{
    return qint64(offset) + qint64(length) <= nFileSize;
}

QString ItemText(uint32_t index, const char *what)
{
    return QString("Data%1 %2").arg(index + 1).arg(QString::fromLatin1(what));
}

} // namespace

void CFirmwarePackage::Reset()
{
    m_nItemCount = 0;
    m_dataHeaders.clear();
}

bool CFirmwarePackage::Refuse(const QString &strText)
{
    qDebug("CFirmwarePackage::Open %s\n", qUtf8Printable(strText));
    m_strErrorText = strText;
    Reset();
    return false;
}

bool CFirmwarePackage::Open(const QString &strPath)
{
    m_strPath = strPath;
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly))
        return Refuse("Open file failed");
    std::memset(m_header, 0, HEADER_SIZE);
    if (!CheckHeader(file.read(reinterpret_cast<char *>(m_header), HEADER_SIZE)))
        return false;
    const uint32_t count = m_header[COUNT_OFFSET];
    if (!ReadDataHeaders(file, count) || !CheckItemRanges(file.size()))
        return false;
    m_nItemCount = count;
    return true;
}

bool CFirmwarePackage::CheckHeader(qint64 nHeaderRead)
{
    if (std::memcmp(m_header + TOKEN_OFFSET, PACKAGE_TOKEN, TOKEN_LENGTH) != 0)
        return Refuse("File Token Error");
    if (nHeaderRead < qint64(HEADER_SIZE))
        return Refuse("File header incomplete");
    if (PackageChecksum(m_header, HEADER_CHECKSUM_OFFSET) != GetLE32(m_header + HEADER_CHECKSUM_OFFSET))
        return Refuse("File header checksum Error");
    if (m_header[COUNT_OFFSET] > MAX_ITEMS)
        return Refuse(QString("Data Number %1 is too large, at most %2 items are allowed")
                          .arg(m_header[COUNT_OFFSET])
                          .arg(MAX_ITEMS));
    return true;
}

bool CFirmwarePackage::ReadDataHeaders(QFile &file, uint32_t count)
{
    m_dataHeaders.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        SPackageDataHeader &header = m_dataHeaders[i];
        const qint64 got = file.read(reinterpret_cast<char *>(header.bytes), SPackageDataHeader::SIZE);
        if (got != qint64(SPackageDataHeader::SIZE))
            return Refuse(ItemText(i, "header incomplete"));
        if (PackageChecksum(header.bytes, SPackageDataHeader::CHECKSUM_OFFSET) != header.StoredChecksum())
            return Refuse(ItemText(i, "header checksum Error"));
    }
    return true;
}

// Offsets and lengths come from the file: they must stay inside it and within what an image can
// sensibly be, so a damaged or hostile header never causes a wild read or a huge allocation.
bool CFirmwarePackage::CheckItemRanges(qint64 nFileSize)
{
    for (uint32_t i = 0; i < m_dataHeaders.size(); ++i) {
        const SPackageDataHeader &header = m_dataHeaders[i];
        if (header.LayoutLength() > MAX_LAYOUT_LENGTH)
            return Refuse(ItemText(i, "layout text is too large"));
        if (!RangeInFile(header.LayoutOffset(), header.LayoutLength(), nFileSize))
            return Refuse(ItemText(i, "layout text lies beyond the end of the file"));
        if (header.UnpackedLength() > MAX_IMAGE_LENGTH || header.PackedLength() > MAX_PACKED_LENGTH)
            return Refuse(ItemText(i, "image is too large"));
        if (!RangeInFile(header.PackedOffset(), header.PackedLength(), nFileSize))
            return Refuse(ItemText(i, "image lies beyond the end of the file"));
    }
    return true;
}

uint32_t CFirmwarePackage::DeviceId() const
{
    const char *text = reinterpret_cast<const char *>(m_header + PRODUCT_OFFSET);
    const void *end = std::memchr(text, 0, PRODUCT_LENGTH);
    const int length = end ? int(static_cast<const char *>(end) - text) : int(PRODUCT_LENGTH);
    return QString::fromLatin1(text, length).toUInt(nullptr, 10);
}

void CFirmwarePackage::EnsureWorkCapacity(uint32_t length)
{
    // Never empty, so that an empty layout text still comes back as bytes rather than as a failure.
    const uint32_t wanted = std::max<uint32_t>(length, 1);
    if (m_nWorkCapacity >= wanted)
        return;
    m_pWork.reset();
    m_pWork.reset(new uint8_t[wanted]);
    m_nWorkCapacity = wanted;
}

bool CFirmwarePackage::ReadRange(uint32_t offset, uint32_t length, uint8_t *destination)
{
    QFile file(m_strPath);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowMessage("Open file failed");
        return false;
    }
    if (!file.seek(offset) || file.read(reinterpret_cast<char *>(destination), length) != qint64(length)) {
        // The file changed since it was opened and checked.
        ShowMessage("Read file failed");
        return false;
    }
    return true;
}

const uint8_t *CFirmwarePackage::LayoutText(uint32_t index, uint32_t &length)
{
    if (index >= m_nItemCount)
        return nullptr;
    const SPackageDataHeader &header = m_dataHeaders[index];
    EnsureWorkCapacity(header.LayoutLength());
    if (!ReadRange(header.LayoutOffset(), header.LayoutLength(), m_pWork.get()))
        return nullptr;
    length = header.LayoutLength();
    return m_pWork.get();
}

const uint8_t *CFirmwarePackage::DecodePayload(uint32_t index, uint32_t &length)
{
    if (index >= m_nItemCount)
        return nullptr;
    const SPackageDataHeader &header = m_dataHeaders[index];
    EnsureWorkCapacity(header.UnpackedLength() + DECODE_SLACK);
    const uint32_t packedLength = header.PackedLength();
    boost::shared_array<uint8_t> packed(new uint8_t[std::max<uint32_t>(packedLength, 1)]);
    if (!ReadRange(header.PackedOffset(), packedLength, packed.get()))
        return nullptr;
    Scramble(packed.get(), packedLength, SCRAMBLE_KEY);
    uLongf decodedLength = m_nWorkCapacity;
    const int result = uncompress(m_pWork.get(), &decodedLength, packed.get(), packedLength);
    if (result != Z_OK) {
        qDebug("CFirmwarePackage::DecodePayload uncompress=%d\n", result);
        m_strErrorText = "decode bin file failed";
        return nullptr;
    }
    length = uint32_t(decodedLength);
    return m_pWork.get();
}
