#include "CFlashLayout.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>

bool CFlashLayout::Refuse(const QString &strText)
{
    qDebug("CFlashLayout::Load %s\n", qUtf8Printable(strText));
    m_strErrorText = strText;
    return false;
}

CFlashLayout::EGroupResult CFlashLayout::RefuseGroup(const QString &strText)
{
    Refuse(strText);
    return GROUP_REFUSED;
}

uint32_t CFlashLayout::ParseNumber(const QString &strText)
{
    const QString number = strText.section(';', 0, 0).trimmed();
    const int base = number.startsWith("0x", Qt::CaseInsensitive) ? 16 : 10;
    return number.toUInt(nullptr, base);
}

bool CFlashLayout::Load(const QString &strPath)
{
    if (!QFileInfo::exists(strPath))
        return false;
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly))
        return Refuse("FLASH layout file is not readable");
    return LoadText(file.readAll());
}

bool CFlashLayout::LoadText(const QByteArray &text)
{
    m_sectors.clear();
    m_nTotalSize = 0;
    m_nPreviousEnd = 0;
    // QSettings caches parsed files by path and trusts an unchanged size and modification time,
    // which misses a rewrite within the time stamp resolution (two seconds on FAT): the next
    // item's layout would be taken for the last one's. A private copy of its own name is always read.
    QTemporaryFile copy(QDir::tempPath() + "/brindle-layout-XXXXXX.ini");
    if (!copy.open() || copy.write(text) != text.size() || !copy.flush())
        return Refuse("FLASH layout text cannot be stored for reading");
    copy.close();
    QSettings settings(copy.fileName(), QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return Refuse("FLASH layout text is not readable");
    for (int number = 1; number <= MAX_GROUPS; ++number) {
        const EGroupResult result = LoadGroup(settings, number);
        if (result == GROUP_ABSENT)
            return true;
        if (result == GROUP_REFUSED)
            return false;
    }
    return true;
}

CFlashLayout::EGroupResult CFlashLayout::LoadGroup(QSettings &settings, int number)
{
    const QString group = QString::asprintf("FLASH %d", number);
    if (!settings.contains(group + "/TYPE"))
        return GROUP_ABSENT;
    const uint32_t type = settings.value(group + "/TYPE").toUInt();
    if (number == 1)
        m_nFirstType = type;
    else if (type != m_nFirstType)
        return RefuseGroup("All FLASH should be same type!");
    const QString startText = settings.value(group + "/Start Address").toString();
    if (startText.isEmpty())
        return RefuseGroup("FLASH start address is empty");
    const uint32_t start = ParseNumber(startText);
    if (m_nPreviousEnd != 0 && start != m_nPreviousEnd)
        return RefuseGroup(QString::asprintf("%s address not follow the last flash", qUtf8Printable(group)));
    const QString endText = settings.value(group + "/End Address").toString();
    if (endText.isEmpty())
        return RefuseGroup("FLASH end address is empty");
    const uint32_t end = ParseNumber(endText);
    m_nPreviousEnd = end;
    const uint32_t size = settings.value(group + "/Sector Size").toUInt();
    const QString problem = SectorProblem(group, type, start, end, size);
    if (!problem.isEmpty())
        return RefuseGroup(problem);
    for (uint64_t address = start; address < end; address += size)
        m_sectors.push_back(SFlashSector{type, uint32_t(address), size});
    m_nTotalSize += end - start;
    return GROUP_ADDED;
}

// The checks that keep a group from looping without end, wrapping the address space, naming an
// area the device commands cannot carry, or claiming space that no sector covers.
QString CFlashLayout::SectorProblem(const QString &strGroup, uint32_t area, uint32_t start, uint32_t end,
                                    uint32_t size) const
{
    const QByteArray utf8 = strGroup.toUtf8();
    const char *group = utf8.constData();
    if (area > MAX_AREA)
        return QString::asprintf("%s TYPE %u is not a memory area of the device (0..%u)", group, area,
                                 MAX_AREA);
    if (size == 0)
        return QString::asprintf("%s sector size is 0", group);
    // An empty group (end equal to start) is allowed and adds nothing; an end below the start wraps.
    if (end < start)
        return QString::asprintf("%s end address is below its start address", group);
    const uint64_t count = (uint64_t(end) - start + size - 1) / size;
    if (start + count * size > ADDRESS_SPACE)
        return QString::asprintf("%s sectors run past the end of the address space", group);
    if (m_sectors.size() + count > MAX_SECTORS)
        return QString::asprintf("FLASH layout has more than %u sectors", MAX_SECTORS);
    return QString();
}

uint32_t CFlashLayout::LeadingSectorsFor(uint32_t length) const
{
    if (m_sectors.empty())
        return 0;
    // Measured by address rather than by adding sizes: a sector that overruns its group's end
    // overlaps the next group's first sector, and counting it twice would leave bytes unerased.
    const uint64_t first = m_sectors.front().address;
    uint64_t reach = 0;
    for (size_t i = 0; i < m_sectors.size(); ++i) {
        reach = std::max<uint64_t>(reach, m_sectors[i].address + uint64_t(m_sectors[i].size) - first);
        if (reach >= length)
            return uint32_t(i + 1);
    }
    return uint32_t(m_sectors.size());
}
