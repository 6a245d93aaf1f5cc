#include "CliListLine.h"

#include "CLooperSongTable.h"
#include "CliSongs.h"
#include "ResultCodes.h"
#include "SongLength.h"

QString CliListLine(const CLooperSongTable &table, uint32_t slot, const QString &name)
{
    const QString row = CliRowText(table, slot);
    const CLooperSongBase *store = table.Store(slot);
    if (table.SlotLoadResult(slot) != RESULT_OK || !store || !store->HasSong())
        return row;
    const QString line = row + QStringLiteral("  ") + SongLengthText(store->GetSize(), table.Geometry());
    return name.isEmpty() ? line : line + QStringLiteral("  ") + name;
}
