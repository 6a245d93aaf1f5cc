#include "SlotList.h"

#include <QStringList>

#include <algorithm>

namespace {
bool ParseRange(const QString &part, uint32_t &first, uint32_t &last)
{
    const QStringList ends = part.split('-');
    bool firstOk = false;
    bool lastOk = false;
    first = ends[0].trimmed().toUInt(&firstOk);
    last = ends.size() == 2 ? ends[1].trimmed().toUInt(&lastOk) : first;
    lastOk = lastOk || ends.size() == 1;
    return ends.size() <= 2 && firstOk && lastOk && first >= 1 && first <= last && last <= 65535;
}
} // namespace

bool ParseSlotList(const QString &text, std::vector<uint32_t> &chosenSlots, QString &errorText)
{
    chosenSlots.clear();
    for (const QString &part : text.split(',')) {
        uint32_t first = 0;
        uint32_t last = 0;
        if (!ParseRange(part, first, last)) {
            errorText = QStringLiteral("\"%1\" is not a list of chosenSlots such as 1,3-5").arg(text);
            return false;
        }
        for (uint32_t slot = first; slot <= last; ++slot)
            chosenSlots.push_back(slot);
    }
    std::sort(chosenSlots.begin(), chosenSlots.end());
    chosenSlots.erase(std::unique(chosenSlots.begin(), chosenSlots.end()), chosenSlots.end());
    return true;
}
