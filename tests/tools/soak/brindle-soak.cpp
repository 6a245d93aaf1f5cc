#include "CSoakRun.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {
const uint32_t MODELS[] = {10002, 10003, 10004};

void QuietDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

struct SSoakArguments {
    uint32_t seed = 0;
    int ops = 0;
    uint32_t model = 0;
    bool trace = false;
};

bool ParseArguments(const QStringList &arguments, SSoakArguments &parsed)
{
    bool seedOk = false;
    bool opsOk = false;
    bool modelOk = true;
    for (int i = 1; i < arguments.size(); ++i) {
        const bool valued = i + 1 < arguments.size();
        if (arguments[i] == "--trace")
            parsed.trace = true;
        else if (arguments[i] == "--seed" && valued)
            parsed.seed = arguments[++i].toUInt(&seedOk);
        else if (arguments[i] == "--ops" && valued)
            parsed.ops = arguments[++i].toInt(&opsOk);
        else if (arguments[i] == "--model" && valued)
            parsed.model = arguments[++i].toUInt(&modelOk);
        else
            return false;
    }
    return seedOk && opsOk && modelOk && parsed.ops > 0;
}

void PrintFigures(const SSoakFigures &figures)
{
    std::printf(
        "%d cuts in a FAT-block erase window (%d songs lost there, %d slots left showing an earlier "
        "record), %d in the song-file flag, %d damaged slots repaired, %d brindle-cli command lines\n",
        figures.wrapCuts, figures.wrapLost, figures.wrapEarlier, figures.flagCuts, figures.repaired,
        figures.commandLines);
    std::printf("%d ops, %d power cuts, %d faults, %d songs lost, %d slots damaged\n", figures.ops,
                figures.cuts, figures.faults, figures.lost, figures.damaged);
}

void Add(SSoakFigures &total, const SSoakFigures &figures)
{
    total.ops += figures.ops;
    total.cuts += figures.cuts;
    total.faults += figures.faults;
    total.lost += figures.lost;
    total.damaged += figures.damaged;
    total.repaired += figures.repaired;
    total.wrapCuts += figures.wrapCuts;
    total.wrapLost += figures.wrapLost;
    total.wrapEarlier += figures.wrapEarlier;
    total.flagCuts += figures.flagCuts;
    total.commandLines += figures.commandLines;
}
} // namespace

// brindle-soak --seed S --ops N [--model ID] [--trace]: N random operations on each model (or the one
// named); exit 1 when a check broke or a song was lost outside the loss windows.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(&QuietDebug);
    SSoakArguments arguments;
    if (!ParseArguments(app.arguments(), arguments)) {
        std::fprintf(stderr, "usage: brindle-soak --seed S --ops N [--model ID] [--trace]\n");
        return 2;
    }
    CStoreRig::InstallSimulator();
    SSoakFigures total;
    bool passed = true;
    for (uint32_t productId : MODELS) {
        if (arguments.model != 0 && arguments.model != productId)
            continue;
        CSoakRun run(productId, arguments.seed);
        run.SetTrace(arguments.trace);
        if (!run.Run(arguments.ops)) {
            std::fprintf(stderr, "model %u, seed %u: %s\n", productId, arguments.seed,
                         qPrintable(run.Failure()));
            passed = false;
        }
        std::printf("model %u: ", productId);
        PrintFigures(run.Figures());
        Add(total, run.Figures());
    }
    PrintFigures(total);
    return passed && total.lost == 0 ? 0 : 1;
}
