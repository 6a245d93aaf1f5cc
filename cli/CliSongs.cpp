#include "CliSongs.h"

#include "CLooperSongTable.h"
#include "CancelRequest.h"
#include "CliCancel.h"
#include "DamagedSlots.h"
#include "Messages.h"

#include <cstdio>

bool ParseCliSlot(const QString &text, const CLooperSongTable &table, uint32_t &slot)
{
    bool ok = false;
    const uint32_t number = text.toUInt(&ok);
    if (ok && number >= 1 && number <= table.StoreCount()) {
        slot = number - 1;
        return true;
    }
    std::fprintf(stderr, "brindle-cli: slot \"%s\" does not exist; this looper has slots 1 to %u\n",
                 qPrintable(text), table.StoreCount());
    return false;
}

bool CliSlotHasSong(const CLooperSongTable &table, uint32_t slot)
{
    if (table.SlotLoadResult(slot) != RESULT_OK) {
        std::fprintf(stderr, "brindle-cli: %s\n", DamagedRowText(table, slot).toUtf8().constData());
        return false;
    }
    if (table.Store(slot)->HasSong())
        return true;
    std::fprintf(stderr, "brindle-cli: slot %u holds no song\n", slot + 1);
    return false;
}

QString CliRowText(const CLooperSongTable &table, uint32_t slot)
{
    if (table.SharedWith(slot) >= 0 && table.SongRecoverable(slot))
        return DamagedRowText(table, slot) + QStringLiteral(", repair separates them");
    if (table.SlotLoadResult(slot) != RESULT_OK && table.SongRecoverable(slot))
        return DamagedRowText(table, slot) + QStringLiteral(", previous version recoverable");
    if (table.SlotLoadResult(slot) != RESULT_OK)
        return DamagedRowText(table, slot);
    const CLooperSongBase *store = table.Store(slot);
    if (store && store->HasSong())
        return table.SongRowText(slot);
    return QString::asprintf("Song %.3d -- %s", int(slot + 1), "(Empty)");
}

bool CliRefuseWhileDamaged(const CLooperSongTable &table)
{
    const QString refusal = DamagedSlotRefusal(table);
    if (refusal.isEmpty())
        return false;
    std::fprintf(stderr, "brindle-cli: %s\n", refusal.toUtf8().constData());
    return true;
}

int CliStoredWithoutAnswer(uint32_t slot, const char *verb)
{
    std::fprintf(stderr,
                 "brindle-cli: Song %.3u %s, but the looper stopped answering: unplug it, plug it back in, "
                 "then run brindle-cli list\n",
                 slot + 1, verb);
    return EXIT_FAILED;
}

int CliChangeSlot(CLooperSongTable &table, uint32_t slot, const char *verb,
                  const std::function<int32_t()> &change)
{
    const SRecordChanges before = table.Store(slot)->RecordChanges();
    const int32_t result = change();
    const SRecordChanges &after = table.Store(slot)->RecordChanges();
    if (result == RESULT_OK) {
        std::printf("%s\n", CliRowText(table, slot).toUtf8().constData());
        return EXIT_OK;
    }
    if (result == RESULT_STORED_NO_ANSWER)
        return CliStoredWithoutAnswer(slot, verb);
    if (CancelRequested() && after.done != before.done) {
        std::fprintf(stderr, "brindle-cli: Song %.3u %s; stopped before the slot was read back\n", slot + 1,
                     verb);
        return EXIT_OK;
    }
    // A change the looper did not confirm may have left the slot half changed: that is no cancel.
    if (CancelRequested() && after.begun == before.begun)
        return CancelledExit();
    ShowResult(result);
    return EXIT_FAILED;
}
