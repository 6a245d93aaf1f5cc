#include "CCliLooper.h"
#include "CliCommands.h"
#include "CliJson.h"
#include "CliListLine.h"
#include "CliSongs.h"
#include "CLooperSongTable.h"
#include "Messages.h"
#include "SongLength.h"
#include "StorageUse.h"

#include <QJsonArray>

#include <cmath>
#include <cstdio>

namespace {
// One slot as a script sees it: "state" is "song", "empty" or "damaged"; a song carries its size in
// bytes, its length in seconds and its name (null for none), a damaged slot the result text of its
// failed load and whether `repair` can bring back its previous song.
QJsonObject SlotJson(const CLooperSongTable &table, uint32_t slot, const QString &name)
{
    QJsonObject object{{"slot", qint64(slot) + 1}, {"text", CliRowText(table, slot)}};
    const CLooperSongBase *store = table.Store(slot);
    const int32_t loadResult = table.SlotLoadResult(slot);
    const bool hasSong = loadResult == RESULT_OK && store && store->HasSong();
    object["state"] = loadResult != RESULT_OK ? "damaged" : hasSong ? "song" : "empty";
    if (hasSong) {
        object["bytes"] = qint64(store->GetSize());
        object["seconds"] = std::round(SongSeconds(store->GetSize(), table.Geometry()) * 1000) / 1000;
        object["name"] = name.isEmpty() ? QJsonValue() : QJsonValue(name);
    }
    if (loadResult != RESULT_OK) {
        object["reason"] = ResultText(loadResult);
        object["recoverable"] = table.SongRecoverable(slot);
    }
    return object;
}

void PrintListJson(CCliLooper &looper)
{
    const CLooperSongTable &table = looper.Table();
    QJsonArray rows;
    for (uint32_t slot = 0; slot < table.StoreCount(); ++slot)
        rows.append(SlotJson(table, slot, looper.SongInfo().Names().Name(looper.SongInfo().Identity(slot))));
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
        PrintListJson(looper);
        return table.HasDamagedSlot() ? EXIT_FAILED : EXIT_OK;
    }
    CSongInfoKeeper &songInfo = looper.SongInfo();
    for (uint32_t slot = 0; slot < table.StoreCount(); ++slot) {
        const QString name = songInfo.Names().Name(songInfo.Identity(slot));
        std::printf("%s\n", CliListLine(table, slot, name).toUtf8().constData());
    }
    std::printf("%s\n", FreeSpaceLine(table).toUtf8().constData());
    return table.HasDamagedSlot() ? EXIT_FAILED : EXIT_OK;
}
} // namespace

BRINDLE_CLI_COMMAND("list", RunList);
