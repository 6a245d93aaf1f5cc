#pragma once

#include "SPackageDataHeader.h"

#include <QFile>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// A firmware package file: a checked header naming the product, a table of data headers, and
// for each item a plain layout text and a scrambled zlib image. Items are read one at a time
// into a work buffer that is reused across items and packages and only grows.
class CFirmwarePackage {
public:
    static constexpr uint32_t HEADER_SIZE = 128;
    static constexpr uint32_t MAX_ITEMS = 99;
    static constexpr uint32_t MAX_LAYOUT_LENGTH = 1u << 20;
    static constexpr uint32_t MAX_IMAGE_LENGTH = 64u << 20;
    static constexpr uint32_t DECODE_SLACK = 100;
    static constexpr uint8_t SCRAMBLE_KEY = 0xA7;

    CFirmwarePackage() = default;
    CFirmwarePackage(const CFirmwarePackage &) = delete;
    CFirmwarePackage &operator=(const CFirmwarePackage &) = delete;

    // Forgets the items of the previous package; the work buffer is kept.
    void Reset();
    bool Open(const QString &strPath);
    uint32_t DeviceId() const;
    uint32_t ItemCount() const { return m_nItemCount; }
    const std::vector<SPackageDataHeader> &DataHeaders() const { return m_dataHeaders; }
    // Both return a pointer into the work buffer, valid until the next call of either, or null.
    const uint8_t *LayoutText(uint32_t index, uint32_t &length);
    const uint8_t *DecodePayload(uint32_t index, uint32_t &length);
    QString ErrorText() const { return m_strErrorText; }

private:
    bool Refuse(const QString &strText);
    bool CheckHeader(qint64 nHeaderRead);
    bool ReadDataHeaders(QFile &file, uint32_t count);
    bool CheckItemRanges(qint64 nFileSize);
    bool ReadRange(uint32_t offset, uint32_t length, uint8_t *destination);
    void EnsureWorkCapacity(uint32_t length);

    QString m_strErrorText;
    QString m_strPath;
    uint32_t m_nItemCount = 0;
    uint8_t m_header[HEADER_SIZE] = {};
    std::vector<SPackageDataHeader> m_dataHeaders;
    std::unique_ptr<uint8_t[]> m_pWork;
    uint32_t m_nWorkCapacity = 0;
};
