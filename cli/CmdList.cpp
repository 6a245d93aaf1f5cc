#include "CLooperSongTable.h"
#include "CUSBPort.h"
#include "CliCommands.h"
#include "CliJson.h"
#include "CliSongs.h"

#include <QJsonArray>

#include <cstdio>

namespace {
// One slot as a script sees it: "state" is "song" or "empty"; a song carries its size in bytes.
QJsonObject SlotJson(const CLooperSongTable &table, uint32_t slot)
{
    QJsonObject object{{"slot", qint64(slot) + 1}, {"text", CliRowText(table, slot)}};
    const CLooperSongBase *store = table.Store(slot);
    const bool hasSong = store && store->HasSong();
    object["state"] = hasSong ? "song" : "empty";
    if (hasSong)
        object["bytes"] = qint64(store->GetSize());
    return object;
}

void PrintListJson(const CLooperSongTable &table)
{
    QJsonArray rows;
    for (uint32_t slot = 0; slot < table.StoreCount(); ++slot)
        rows.append(SlotJson(table, slot));
    PrintCliJson({{"slots", rows}});
}

int RunList(const SCliOptions &options)
{
    CUSBPort port;
    CLooperSongTable table(port);
    const int status = LoadCliSongs(options, port, table);
    if (status != EXIT_OK)
        return status;
    if (options.json) {
        PrintListJson(table);
        return EXIT_OK;
    }
    for (uint32_t slot = 0; slot < table.StoreCount(); ++slot)
        std::printf("%s\n", CliRowText(table, slot).toUtf8().constData());
    return EXIT_OK;
}
} // namespace

BRINDLE_CLI_COMMAND("list", RunList);
