#include "ArrangeRefusal.h"

#include "CLooperSongTable.h"
#include "DamagedSlots.h"

namespace {
bool HoldsSong(const CLooperSongTable &table, uint32_t slot)
{
    return table.Store(slot) && table.Store(slot)->HasSong();
}

QString CommonRefusal(const CLooperSongTable &table, uint32_t first, uint32_t second, const char *verb)
{
    if (table.StoreCount() < 2)
        return QStringLiteral("This looper has one song slot: there is nothing to arrange");
    if (first == second)
        return QStringLiteral("Slot %1 cannot be %2 itself").arg(first + 1).arg(QLatin1String(verb));
    return DamagedSlotRefusal(table);
}
} // namespace

QString MoveRefusal(const CLooperSongTable &table, uint32_t from, uint32_t to)
{
    const QString refusal = CommonRefusal(table, from, to, "moved onto");
    if (!refusal.isEmpty() || HoldsSong(table, from))
        return refusal;
    return QStringLiteral("Slot %1 holds no song: there is nothing to move").arg(from + 1);
}

QString SwapRefusal(const CLooperSongTable &table, uint32_t first, uint32_t second)
{
    const QString refusal = CommonRefusal(table, first, second, "swapped with");
    if (!refusal.isEmpty())
        return refusal;
    if (!HoldsSong(table, first) && !HoldsSong(table, second))
        return QStringLiteral("Slots %1 and %2 hold no song: there is nothing to swap")
            .arg(first + 1)
            .arg(second + 1);
    uint32_t fullSlot = 0;
    if (!HoldsSong(table, first) || !HoldsSong(table, second) || table.SwapFits(first, second, fullSlot))
        return QString();
    return QStringLiteral("Slot %1 has no room left for the records a swap writes: move its song to an empty "
                          "slot and back, then swap again")
        .arg(fullSlot + 1);
}
