#include "CFlashLayout.h"
#include "CPackageBuilder.h"
#include "Messages.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

struct SPackageOptions {
    QByteArray product;
    uint32_t area = 0;
    uint32_t start = 0;
    uint32_t sectors = 0;
    uint32_t sectorSize = 0;
    uint32_t imageSize = 0;
    uint32_t seed = 0;
    QString output;
};

void AddOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription("Writes a one-item firmware package whose image is a seeded pattern.");
    parser.addHelpOption();
    parser.addOption({"product", "Product id text.", "id", "10003"});
    parser.addOption({"area", "Memory area (TYPE) of the layout.", "n", "2"});
    parser.addOption({"start", "Start address (0x... or decimal).", "address", "0x10000"});
    parser.addOption({"sectors", "Number of sectors.", "n", "16"});
    parser.addOption({"sector-size", "Sector size in bytes.", "bytes", "4096"});
    parser.addOption({"image-size", "Image size in bytes.", "bytes", "10000"});
    parser.addOption({"seed", "Seed of the image pattern.", "n", "1"});
    parser.addPositionalArgument("out.dat", "Package file to write.");
}

bool ReadOptions(const QCommandLineParser &parser, SPackageOptions &options)
{
    if (parser.positionalArguments().size() != 1) {
        ShowMessage("make-test-package: name exactly one output file (see --help)");
        return false;
    }
    options.product = parser.value("product").toLatin1();
    options.area = CFlashLayout::ParseNumber(parser.value("area"));
    options.start = CFlashLayout::ParseNumber(parser.value("start"));
    options.sectors = CFlashLayout::ParseNumber(parser.value("sectors"));
    options.sectorSize = CFlashLayout::ParseNumber(parser.value("sector-size"));
    options.imageSize = CFlashLayout::ParseNumber(parser.value("image-size"));
    options.seed = CFlashLayout::ParseNumber(parser.value("seed"));
    options.output = parser.positionalArguments().front();
    if (options.area > CFlashLayout::MAX_AREA || options.sectors == 0 || options.sectorSize == 0) {
        ShowMessage("make-test-package: area must be 0..255, sectors and sector size above 0");
        return false;
    }
    if (options.start + uint64_t(options.sectors) * options.sectorSize > 0xFFFFFFFFu) {
        ShowMessage("make-test-package: the sectors run past the end of the address space");
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    AddOptions(parser);
    parser.process(application);
    SPackageOptions options;
    if (!ReadOptions(parser, options))
        return 2;
    const QByteArray layout =
        CPackageBuilder::LayoutText(options.area, options.start, options.sectors, options.sectorSize);
    const QByteArray image = CPackageBuilder::PatternImage(options.imageSize, options.seed);
    if (!CPackageBuilder(options.product).AddItem(layout, image).Write(options.output)) {
        ShowMessageF("make-test-package: cannot write %s", qUtf8Printable(options.output));
        return 1;
    }
    std::printf("%s: product %s, area %u, 0x%08X + %u x %u bytes, image %u bytes\n",
                qUtf8Printable(options.output), options.product.constData(), options.area, options.start,
                options.sectors, options.sectorSize, options.imageSize);
    return 0;
}
