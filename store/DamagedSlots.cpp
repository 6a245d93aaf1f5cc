#include "DamagedSlots.h"

#include "CLooperSongTable.h"
#include "Messages.h"

QString DamagedRowText(const CLooperSongTable &table, uint32_t slot)
{
    if (table.SlotLoadResult(slot) == RESULT_SHARED_BLOCKS)
        return QString::asprintf("Song %.3u -- (Damaged: shares its audio with slot %d)", slot + 1,
                                 table.SharedWith(slot) + 1);
    return QString::asprintf("Song %.3u -- (Damaged: %s)", slot + 1,
                             ResultText(table.SlotLoadResult(slot)).toUtf8().constData());
}

QString DamagedSlotRefusal(const CLooperSongTable &table)
{
    for (uint32_t slot = 0; slot < table.StoreCount(); ++slot) {
        if (table.SlotLoadResult(slot) != RESULT_OK && table.SharedWith(slot) >= 0)
            return QStringLiteral("%1: nothing is written while two slots name the same blocks. %2")
                .arg(DamagedRowText(table, slot),
                     table.SongRecoverable(slot)
                         ? QStringLiteral("Repair slot %1 to separate them.").arg(slot + 1)
                         : QStringLiteral("Back up, then delete slot %1 or slot %2.")
                               .arg(slot + 1)
                               .arg(table.SharedWith(slot) + 1));
        if (table.SlotLoadResult(slot) != RESULT_OK)
            return QStringLiteral("%1: the blocks of a damaged slot are unknown, so nothing is written "
                                  "while it is there. Back up the other songs, then delete slot %2.")
                .arg(DamagedRowText(table, slot))
                .arg(slot + 1);
    }
    return QString();
}
