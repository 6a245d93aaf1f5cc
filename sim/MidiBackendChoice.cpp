#include "MidiBackendChoice.h"

#include "CRtMidiBackend.h"
#include "CSimBus.h"
#include "CSimulatorBackend.h"
#include "DemoLooper.h"

#include <QFile>
#include <QStringList>

#include <chrono>
#include <thread>

namespace {
const int ERASE_COMMAND = 0x21;
const char *const MUTE_ERASE_MODE = "mute-erase";

QString Variable(const char *name, const QString &fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

bool ParseVersion(const QString &text, uint32_t &version)
{
    const QStringList parts = text.split('.');
    if (parts.size() != 3)
        return false;
    version = 0;
    for (const QString &part : parts) {
        bool ok = false;
        const uint32_t number = part.toUInt(&ok);
        if (!ok || number > 255)
            return false;
        version = (version << 8) | number;
    }
    return true;
}

bool ParseMode(const QString &text, SSimDeviceConfig &config)
{
    if (text == "normal")
        config.mode = SIM_MODE_NORMAL;
    else if (text == "raw")
        config.mode = SIM_MODE_RAW;
    else if (text == "silent")
        config.mode = SIM_MODE_SILENT;
    else if (text == "unreadable")
        config.identityReadable = false;
    else if (text != MUTE_ERASE_MODE)
        return false;
    return true;
}

bool ChooseSimulatedWire(QString &errorText)
{
    const QString wire = qEnvironmentVariable("BRINDLE_SIM_WIRE");
    if (!wire.isEmpty() && wire != "usb-fs") {
        errorText = QStringLiteral("bad simulator setting: BRINDLE_SIM_WIRE=%1 (see README)").arg(wire);
        return false;
    }
    CSimBus::Instance().SetUsbWirePace(wire == "usb-fs");
    return true;
}

// "N:M" with a request number N from 1 and a second number M.
bool ParseRequestPair(const QString &text, int &request, uint32_t &second)
{
    const QStringList parts = text.split(':');
    bool requestOk = false;
    bool secondOk = false;
    request = parts[0].toInt(&requestOk);
    second = parts.size() == 2 ? parts[1].toUInt(&secondOk) : 0;
    return parts.size() == 2 && requestOk && secondOk && request > 0;
}

// BRINDLE_SIM_SIGNAL=N:S raises signal S on request N.
bool ParseSignal(const QString &text, SSimDeviceConfig &config)
{
    uint32_t signalNumber = 0;
    if (text.isEmpty())
        return true;
    const bool parsed = ParseRequestPair(text, config.signalAtRequest, signalNumber);
    config.signalNumber = int(signalNumber);
    return parsed && signalNumber > 0 && signalNumber < 32;
}

// BRINDLE_SIM_POWERCUT=N:SEED: the looper loses power while carrying out request N; the flash
// file keeps what was applied.
bool ParsePowerCut(const QString &text, SSimPowerCut &cut)
{
    cut = {0, 0};
    return text.isEmpty() || ParseRequestPair(text, cut.atRequest, cut.seed);
}

// The demo looper the choice attached, whose file the command-line tool names; the simulator was
// chosen, so its loopers' flash files are closed when the program ends.
QString g_strDemoFile;
bool g_bSimulatorChosen = false;

bool DemoDevice(QString &errorText, bool *flashRefused)
{
    CSimBus::Instance().Clear();
    CSimBus::Instance().SetUsbWirePace(false);
    SetMidiBackend(std::make_shared<CSimulatorBackend>());
    if (!AttachDemoLooper(errorText)) {
        // The demo has no setting to get wrong: what fails is its file.
        if (flashRefused)
            *flashRefused = true;
        return false;
    }
    g_strDemoFile = DemoLooperFile();
    return true;
}

bool SimulatedDevices(QString &errorText, bool *flashRefused)
{
    g_bSimulatorChosen = true;
    if (DemoLooperWanted())
        return DemoDevice(errorText, flashRefused);
    SSimDeviceConfig config;
    bool modelOk = false;
    bool countOk = false;
    config.productId = Variable("BRINDLE_SIM_MODEL", "10003").toUInt(&modelOk);
    const int count = Variable("BRINDLE_SIM_DEVICES", "1").toInt(&countOk);
    const QString version = Variable("BRINDLE_SIM_VERSION", "1.2.3");
    const QString mode = Variable("BRINDLE_SIM_MODE", "normal");
    SSimPowerCut cut;
    if (!modelOk || !countOk || count < 0 || count > 16 || !ParseVersion(version, config.firmwareVersion) ||
        !ParseMode(mode, config) || !ParseSignal(qEnvironmentVariable("BRINDLE_SIM_SIGNAL"), config) ||
        !ParsePowerCut(qEnvironmentVariable("BRINDLE_SIM_POWERCUT"), cut)) {
        errorText =
            QStringLiteral("bad simulator setting: BRINDLE_SIM_MODEL=%1 BRINDLE_SIM_VERSION=%2 "
                           "BRINDLE_SIM_MODE=%3 BRINDLE_SIM_DEVICES=%4 BRINDLE_SIM_SIGNAL=%5 "
                           "BRINDLE_SIM_POWERCUT=%6 (see README)")
                .arg(Variable("BRINDLE_SIM_MODEL", ""), version, mode, Variable("BRINDLE_SIM_DEVICES", ""),
                     Variable("BRINDLE_SIM_SIGNAL", ""), Variable("BRINDLE_SIM_POWERCUT", ""));
        return false;
    }
    if (!ChooseSimulatedWire(errorText))
        return false;
    CSimBus::Instance().Clear();
    for (int i = 0; i < count; ++i) {
        SSimDeviceConfig device = config;
        if (i == 0)
            device.flashFile = QFile::encodeName(qEnvironmentVariable("BRINDLE_SIM_FLASH")).toStdString();
        else
            device.portName += " " + std::to_string(i + 1);
        auto looper = std::make_shared<CSimDevice>(device);
        if (!looper->FlashFileError().empty()) {
            errorText = QString::fromStdString(looper->FlashFileError());
            if (flashRefused)
                *flashRefused = true;
            return false;
        }
        if (mode == MUTE_ERASE_MODE)
            looper->SetFault({SIM_FAULT_SILENCE, 0, ERASE_COMMAND});
        if (i == 0)
            looper->SetPowerCut(cut);
        CSimBus::Instance().Attach(looper);
    }
    SetMidiBackend(std::make_shared<CSimulatorBackend>());
    return true;
}

} // namespace

bool ChooseMidiBackend(const QString &name, QString &errorText, bool *flashRefused)
{
    if (name.isEmpty())
        return true;
    g_strDemoFile.clear();
    if (name == "simulator")
        return SimulatedDevices(errorText, flashRefused);
    const RtMidi::Api api = RtMidi::getCompiledApiByName(name.toStdString());
    if (api == RtMidi::UNSPECIFIED || name == "dummy") {
        errorText =
            QStringLiteral("unknown MIDI API \"%1\" (alsa, jack, core, winmm or simulator)").arg(name);
        return false;
    }
    SetMidiBackend(std::make_shared<CRtMidiBackend>(api));
    return true;
}

bool InstallMidiBackendFromEnvironment(QString &errorText, bool *flashRefused)
{
    return ChooseMidiBackend(qEnvironmentVariable("BRINDLE_MIDI_API"), errorText, flashRefused);
}

QString DemoLooperInUse()
{
    return g_strDemoFile;
}

bool CloseSimulatedLoopers(QString &errorText)
{
    if (!g_bSimulatorChosen)
        return true;
    const std::vector<std::shared_ptr<CSimDevice>> loopers = CSimBus::Instance().Devices();
    CSimBus::Instance().Clear();
    // A request the bus is carrying out as the program ends reaches the flash before it is saved.
    for (int waited = 0; !CSimBus::Instance().Idle() && waited < 5000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    bool saved = true;
    for (const std::shared_ptr<CSimDevice> &looper : loopers) {
        std::string failure;
        if (!looper->CloseFlashFile(failure) && saved) {
            errorText = QString::fromStdString(failure);
            saved = false;
        }
    }
    return saved;
}
