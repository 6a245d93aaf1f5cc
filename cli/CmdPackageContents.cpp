#include "CFirmwarePackage.h"
#include "CFlashLayout.h"
#include "CliCommands.h"
#include "Messages.h"

#include <cstdio>

namespace {
void PrintLayout(CFirmwarePackage &package, uint32_t index)
{
    uint32_t length = 0;
    const uint8_t *text = package.LayoutText(index, length);
    CFlashLayout layout;
    if (!text) {
        std::printf("  layout: %s\n", qPrintable(package.ErrorText()));
    } else if (!layout.LoadText(QByteArray(reinterpret_cast<const char *>(text), int(length)))) {
        std::printf("  layout: %s\n", qPrintable(layout.ErrorText()));
    } else if (layout.Sectors().empty()) {
        std::printf("  layout: no sectors\n");
    } else {
        const SFlashSector &first = layout.Sectors().front();
        std::printf("  layout: area %u, start 0x%08X, %zu sectors, total size %u bytes\n", first.area,
                    first.address, layout.Sectors().size(), layout.totalSize());
    }
}

void PrintImage(CFirmwarePackage &package, uint32_t index)
{
    uint32_t length = 0;
    if (package.DecodePayload(index, length))
        std::printf("  image:  %u bytes decoded\n", length);
    else
        std::printf("  image:  %s\n", qPrintable(package.ErrorText()));
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
    std::printf("Product:  %u\nItems:    %u\n", package.DeviceId(), package.ItemCount());
    for (uint32_t i = 0; i < package.ItemCount(); ++i) {
        std::printf("Item %u\n", i + 1);
        PrintLayout(package, i);
        PrintImage(package, i);
    }
    return EXIT_OK;
}
} // namespace

BRINDLE_CLI_COMMAND("inspect", RunInspect);
