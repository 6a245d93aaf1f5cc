#include "CCliLooper.h"
#include "CliCommands.h"
#include "CliJson.h"
#include "CliSongs.h"
#include "CLooperSongTable.h"
#include "Messages.h"
#include "StorageUse.h"

#include <QJsonArray>

#include <cstdio>

namespace {
// One slot as a script sees it: "state" is "song", "empty" or "damaged"; a song carries its size in
// bytes, a damaged slot the result text of its failed load and whether `repair` can bring back its
// previous song.
QJsonObject SlotJson(const CLooperSongTable &table, uint32_t slot)
{
    QJsonObject object{{"slot", qint64(slot) + 1}, {"text", CliRowText(table, slot)}};
    const CLooperSongBase *store = table.Store(slot);
    const int32_t loadResult = table.SlotLoadResult(slot);
    const bool hasSong = loadResult == RESULT_OK && store && store->HasSong();
    object["state"] = loadResult != RESULT_OK ? "damaged" : hasSong ? "song" : "empty";
    if (hasSong)
        object["bytes"] = qint64(store->GetSize());
    if (loadResult != RESULT_OK) {
        object["reason"] = ResultText(loadResult);
        object["recoverable"] = table.SongRecoverable(slot);
    }
    return object;
}

void PrintListJson(const CLooperSongTable &table)
{
    QJsonArray rows;
    for (uint32_t slot = 0; slot < table.StoreCount(); ++slot)
        rows.append(SlotJson(table, slot));
    PrintCliJson({{"slots", rows},
                  {"free", QJsonObject{{"blocks", qint64(FreeBlockCount(table))},
                                       {"totalBlocks", qint64(table.Geometry().dataBlockCount)}}}});
}

// Every slot on its own line, damaged ones too, then the free storage; a damaged slot fails the
// command once everything else is shown.
int RunList(const SCliOptions &options)
{
    CCliLooper looper;
    const int status = looper.Open(options);
    if (status != EXIT_OK)
        return status;
    const CLooperSongTable &table = looper.Table();
    if (options.json) {
        PrintListJson(table);
        return table.HasDamagedSlot() ? EXIT_FAILED : EXIT_OK;
    }
    for (uint32_t slot = 0; slot < table.StoreCount(); ++slot)
        std::printf("%s\n", CliRowText(table, slot).toUtf8().constData());
    std::printf("%s%s\n", FreeSpaceText(table).toUtf8().constData(),
                table.HasDamagedSlot() ? " (a damaged slot may own some of these blocks)" : "");
    return table.HasDamagedSlot() ? EXIT_FAILED : EXIT_OK;
}
} // namespace

BRINDLE_CLI_COMMAND("list", RunList);
