#pragma once

#include "SFlashSector.h"

#include <QSettings>
#include <QString>

#include <cstdint>
#include <vector>

// The flash layout of one package item: contiguous "FLASH n" groups of one memory area, read
// from an INI file into an ordered list of erase sectors.
class CFlashLayout {
public:
    static constexpr int MAX_GROUPS = 99;
    // Keeps a hostile layout (sector size 1 over gigabytes) from exhausting memory.
    static constexpr uint32_t MAX_SECTORS = 1u << 20;
    static constexpr uint32_t MAX_AREA = 255;
    static constexpr uint64_t ADDRESS_SPACE = uint64_t(1) << 32;

    bool Load(const QString &strPath);
    // The same for a layout text held in memory, as a package item carries it.
    bool LoadText(const QByteArray &text);
    const std::vector<SFlashSector> &Sectors() const { return m_sectors; }
    uint32_t totalSize() const { return m_nTotalSize; }
    QString ErrorText() const { return m_strErrorText; }

    // How many leading sectors must be erased so that the bytes from the first sector's address
    // up to length are all erased; at least 1, all sectors when they never reach it.
    uint32_t LeadingSectorsFor(uint32_t length) const;

    // The text before the first ';', trimmed: hex after "0x" in any case, else decimal; 0 when no number.
    static uint32_t ParseNumber(const QString &strText);

private:
    enum EGroupResult { GROUP_ABSENT, GROUP_ADDED, GROUP_REFUSED };
    EGroupResult LoadGroup(QSettings &settings, int number);
    bool Refuse(const QString &strText);
    EGroupResult RefuseGroup(const QString &strText);
    QString SectorProblem(const QString &strGroup, uint32_t area, uint32_t start, uint32_t end,
                          uint32_t size) const;

    std::vector<SFlashSector> m_sectors;
    uint32_t m_nTotalSize = 0;
    uint32_t m_nFirstType = 0;
    uint32_t m_nPreviousEnd = 0;
    QString m_strErrorText;
};
