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

bool ParseArguments(const QStringList &arguments, uint32_t &seed, int &ops, uint32_t &model)
{
    bool seedOk = false;
    bool opsOk = false;
    bool modelOk = true;
    for (int i = 1; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == "--seed")
            seed = arguments[i + 1].toUInt(&seedOk);
        else if (arguments[i] == "--ops")
            ops = arguments[i + 1].toInt(&opsOk);
        else if (arguments[i] == "--model")
            model = arguments[i + 1].toUInt(&modelOk);
        else
            return false;
    }
    return arguments.size() % 2 == 1 && seedOk && opsOk && modelOk && ops > 0;
}

void PrintFigures(const SSoakFigures &figures)
{
    std::printf("%d cuts in the FAT-block wrap window (%d songs lost there), %d in the song-file flag, "
                "%d damaged slots repaired, %d brindle-cli command lines\n",
                figures.wrapCuts, figures.wrapLost, figures.flagCuts, figures.repaired, figures.commandLines);
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
    total.flagCuts += figures.flagCuts;
    total.commandLines += figures.commandLines;
}
} // namespace

// brindle-soak --seed S --ops N [--model ID]: N random operations on each model (or the one
// named); exit 1 when a check broke or a song was lost outside the loss windows.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(&QuietDebug);
    uint32_t seed = 0;
    int ops = 0;
    uint32_t model = 0;
    if (!ParseArguments(app.arguments(), seed, ops, model)) {
        std::fprintf(stderr, "usage: brindle-soak --seed S --ops N [--model ID]\n");
        return 2;
    }
    CStoreRig::InstallSimulator();
    SSoakFigures total;
    bool passed = true;
    for (uint32_t productId : MODELS) {
        if (model != 0 && model != productId)
            continue;
        CSoakRun run(productId, seed);
        if (!run.Run(ops)) {
            std::fprintf(stderr, "model %u, seed %u: %s\n", productId, seed, qPrintable(run.Failure()));
            passed = false;
        }
        std::printf("model %u: ", productId);
        PrintFigures(run.Figures());
        Add(total, run.Figures());
    }
    PrintFigures(total);
    return passed && total.lost == 0 ? 0 : 1;
}
