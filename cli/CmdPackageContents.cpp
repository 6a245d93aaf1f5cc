#include "CFirmwarePackage.h"
#include "CFlashLayout.h"
#include "CliCommands.h"
#include "CliJson.h"
#include "Messages.h"

#include <QJsonArray>

#include <cstdio>

namespace {
// What an item's layout says: {"error"}, or its first sector's area and start, the sector count and
// the total size (only the count when there are no sectors).
QJsonObject LayoutFacts(CFirmwarePackage &package, uint32_t index)
{
    uint32_t length = 0;
    const uint8_t *text = package.LayoutText(index, length);
    if (!text)
        return {{"error", package.ErrorText()}};
    CFlashLayout layout;
    if (!layout.LoadText(QByteArray(reinterpret_cast<const char *>(text), int(length))))
        return {{"error", layout.ErrorText()}};
    if (layout.Sectors().empty())
        return {{"sectors", 0}};
    const SFlashSector &first = layout.Sectors().front();
    return {{"area", qint64(first.area)},
            {"start", qint64(first.address)},
            {"sectors", qint64(layout.Sectors().size())},
            {"totalSize", qint64(layout.totalSize())}};
}

QJsonObject ImageFacts(CFirmwarePackage &package, uint32_t index)
{
    uint32_t length = 0;
    if (package.DecodePayload(index, length))
        return {{"bytes", qint64(length)}};
    return {{"error", package.ErrorText()}};
}

void PrintItemText(const QJsonObject &item)
{
    std::printf("Item %d\n", item["item"].toInt());
    const QJsonObject layout = item["layout"].toObject();
    if (layout.contains("error"))
        std::printf("  layout: %s\n", qPrintable(layout["error"].toString()));
    else if (layout["sectors"].toInt() == 0)
        std::printf("  layout: no sectors\n");
    else
        std::printf("  layout: area %u, start 0x%08X, %d sectors, total size %u bytes\n",
                    uint32_t(layout["area"].toDouble()), uint32_t(layout["start"].toDouble()),
                    layout["sectors"].toInt(), uint32_t(layout["totalSize"].toDouble()));
    const QJsonObject image = item["image"].toObject();
    if (image.contains("error"))
        std::printf("  image:  %s\n", qPrintable(image["error"].toString()));
    else
        std::printf("  image:  %u bytes decoded\n", uint32_t(image["bytes"].toDouble()));
}

// Reads a package without any device: what it is for and what each item would program.
int RunInspect(const SCliOptions &options)
{
    if (options.arguments.size() != 1) {
        std::fprintf(stderr, "usage: brindle-cli inspect PACKAGE.dat\n");
        return EXIT_USAGE;
    }
    CFirmwarePackage package;
    package.Reset();
    if (!package.Open(options.arguments[0])) {
        ShowMessage(package.ErrorText());
        return EXIT_FAILED;
    }
    QJsonArray items;
    for (uint32_t i = 0; i < package.ItemCount(); ++i)
        items.append(QJsonObject{
            {"item", qint64(i) + 1}, {"layout", LayoutFacts(package, i)}, {"image", ImageFacts(package, i)}});
    if (options.json) {
        PrintCliJson({{"productId", qint64(package.DeviceId())}, {"items", items}});
        return EXIT_OK;
    }
    std::printf("Product:  %u\nItems:    %u\n", package.DeviceId(), package.ItemCount());
    for (const QJsonValue &item : items)
        PrintItemText(item.toObject());
    return EXIT_OK;
}
} // namespace

BRINDLE_CLI_COMMAND("inspect", RunInspect);
