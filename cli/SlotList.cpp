#include "SlotList.h"

#include <QStringList>

namespace {
struct SSlotRange {
    uint32_t first = 0;
    uint32_t last = 0;
};

bool ParseRange(const QString &part, SSlotRange &range)
{
    const QStringList ends = part.split('-');
    bool firstOk = false;
    bool lastOk = ends.size() == 1;
    range.first = ends[0].trimmed().toUInt(&firstOk);
    range.last = ends.size() == 2 ? ends[1].trimmed().toUInt(&lastOk) : range.first;
    return ends.size() <= 2 && firstOk && lastOk && range.first >= 1 && range.first <= range.last;
}

// Each range is checked before it is marked: one past the looper's slots is never walked.
bool MarkRanges(const QString &text, uint32_t slotCount, std::vector<bool> &chosen, QString &errorText)
{
    for (const QString &part : text.split(',')) {
        SSlotRange range;
        if (!ParseRange(part, range)) {
            errorText = QStringLiteral("\"%1\" is not a slot or a range of slots such as 1,3-5").arg(part);
            return false;
        }
        if (range.last > slotCount) {
            errorText = QStringLiteral("\"%1\" names slot %2; this looper has slots 1 to %3")
                            .arg(part)
                            .arg(range.last)
                            .arg(slotCount);
            return false;
        }
        for (uint32_t slot = range.first; slot <= range.last; ++slot)
            chosen[slot - 1] = true;
    }
    return true;
}
} // namespace

bool ParseSlotList(const QString &text, uint32_t slotCount, std::vector<uint32_t> &slots, QString &errorText)
{
    slots.clear();
    std::vector<bool> chosen(slotCount, false);
    if (!MarkRanges(text, slotCount, chosen, errorText))
        return false;
    for (uint32_t slot = 0; slot < slotCount; ++slot) {
        if (chosen[slot])
            slots.push_back(slot);
    }
    return true;
}
