#include "AudioOutputChoice.h"
#include "CAudioOutput.h"
#include "CCliLooper.h"
#include "CSongPlayer.h"
#include "CTerminalProgress.h"
#include "CliCancel.h"
#include "CliCommands.h"
#include "DeviceSamples.h"
#include "Messages.h"
#include "SlotSongSource.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

namespace {
const char *const PLAY_USAGE =
    "usage: brindle-cli play SLOT [--from SECONDS] [--audio-api pulse|alsa|jack] [--audio-device NAME]\n"
    "       brindle-cli play --list-devices [--audio-api pulse|alsa|jack]\n";
// Once the song is read, the output only needs topping up now and then.
const std::chrono::milliseconds IDLE_WAIT{10};

int PlayUsage(const QString &problem)
{
    if (!problem.isEmpty())
        std::fprintf(stderr, "brindle-cli: %s\n", problem.toLocal8Bit().constData());
    std::fprintf(stderr, "%s", PLAY_USAGE);
    return EXIT_USAGE;
}

// "1:05.3"
QString Clock(double seconds)
{
    const int tenths = int(seconds * 10 + 0.5);
    return QString::asprintf("%d:%02d.%d", tenths / 600, tenths / 10 % 60, tenths % 10);
}

int ListDevices(const QString &api)
{
    const QStringList lines = ListAudioOutputs(api);
    if (lines.isEmpty()) {
        ShowMessage(QStringLiteral("No audio output found (tried %1)").arg(AudioApiNames(AudioApisFor(api))));
        return EXIT_FAILED;
    }
    for (const QString &line : lines)
        std::printf("%s\n", line.toLocal8Bit().constData());
    return EXIT_OK;
}

bool ParseFrom(const QString &text, double &seconds)
{
    bool ok = true;
    seconds = text.isEmpty() ? 0.0 : text.toDouble(&ok);
    return ok && std::isfinite(seconds) && seconds >= 0;
}

// The frame to start at; false when it lies at or past the song's end.
bool StartByte(const FlashGeometry &geometry, uint32_t songBytes, double from, uint32_t &startByte)
{
    const uint32_t frameBytes = geometry.channels * DEVICE_SAMPLE_BYTES;
    const double frame = std::floor(from * geometry.sampleRate);
    if (frame >= double(songBytes / frameBytes))
        return false;
    startByte = uint32_t(frame) * frameBytes;
    return true;
}

void PlayToTheEnd(CSongPlayer &player, bool quiet)
{
    CTerminalProgress line(quiet);
    const QString total = QStringLiteral(" / ") + Clock(player.LengthSeconds());
    QString shown;
    while (player.Step() == PLAY_RUNNING) {
        const QString text = Clock(player.PositionSeconds()) + total;
        if (text != shown)
            line.ShowText(text);
        shown = text;
        if (!player.Reading())
            std::this_thread::sleep_for(IDLE_WAIT);
    }
}

// Plays the song of a slot while it is read out of the looper, or from the cache when it holds it.
int RunPlay(const SCliOptions &options)
{
    const SAudioOutputChoice choice = AudioOutputChoice(options.audioApi, options.audioDevice);
    QString errorText;
    double from = 0;
    if (!CheckAudioApi(choice.api, errorText))
        return PlayUsage(errorText);
    if (options.listDevices)
        return options.arguments.isEmpty() ? ListDevices(choice.api) : PlayUsage(QString());
    if (options.arguments.size() != 1 || !ParseFrom(options.from, from))
        return PlayUsage(QString());
    // Before the looper is asked anything: without an output there is nothing to do.
    CAudioOutput output;
    if (!output.Open(choice, errorText)) {
        ShowMessage(errorText);
        return EXIT_FAILED;
    }
    CCliLooper looper;
    uint32_t slot = 0;
    const int status = looper.OpenSongSlot(options, options.arguments[0], slot);
    if (status != EXIT_OK)
        return status;
    uint32_t startByte = 0;
    if (!StartByte(looper.Table().Geometry(), looper.Table().Store(slot)->GetSize(), from, startByte))
        return PlayUsage(QStringLiteral("--from %1 lies past the end of the song").arg(options.from));
    // A song the window has kept plays from the computer; the command line itself keeps none.
    CSongPlayer player(
        SlotSongSource(looper.Port(), looper.Table(), looper.SongInfo().Cache(), slot, startByte), output);
    if (!player.Play(errorText)) {
        ShowMessage(errorText);
        return EXIT_FAILED;
    }
    PlayToTheEnd(player, options.quiet);
    if (player.State() == PLAY_STOPPED)
        return CancelledExit();
    if (player.State() == PLAY_FAILED) {
        ShowMessage(player.FailureText());
        return EXIT_FAILED;
    }
    return EXIT_OK;
}
} // namespace

BRINDLE_CLI_COMMAND("play", RunPlay);
