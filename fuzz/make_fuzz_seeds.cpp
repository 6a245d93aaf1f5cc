// Writes the seed corpus of one fuzz target into a folder, made by our own builders.
// usage: make-fuzz-seeds TARGET DIR
#include "FuzzSeeds.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-fuzz-seeds TARGET DIR\n");
        return 2;
    }
    const auto makers = SeedMakers();
    const auto maker = makers.find(argv[1]);
    if (maker == makers.end()) {
        std::fprintf(stderr, "no seeds for %s\n", argv[1]);
        return 0;
    }
    CSeedWriter writer(QString::fromLocal8Bit(argv[2]));
    maker->second(writer);
    return writer.Ok() ? 0 : 1;
}
