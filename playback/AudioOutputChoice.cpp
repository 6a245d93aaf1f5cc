#include "AudioOutputChoice.h"

#include <algorithm>
#include <memory>

namespace {
const SAudioApi AUDIO_APIS[] = {
    {RtAudio::LINUX_PULSE, "pulse", "PulseAudio"},
    {RtAudio::LINUX_ALSA, "alsa", "ALSA"},
    {RtAudio::UNIX_JACK, "jack", "JACK"},
};

bool Compiled(RtAudio::Api api)
{
    std::vector<RtAudio::Api> compiled;
    RtAudio::getCompiledApi(compiled);
    return std::find(compiled.begin(), compiled.end(), api) != compiled.end();
}

void AppendOutputs(const SAudioApi &api, QStringList &lines)
{
    try {
        RtAudio audio(api.api);
        audio.showWarnings(false);
        const unsigned int count = audio.getDeviceCount();
        for (unsigned int device = 0; device < count; ++device) {
            const RtAudio::DeviceInfo info = audio.getDeviceInfo(device);
            if (info.probed && info.outputChannels > 0)
                lines << QStringLiteral("%1: %2 (%3 channels, %4 Hz%5)")
                             .arg(api.name, QString::fromStdString(info.name))
                             .arg(info.outputChannels)
                             .arg(info.preferredSampleRate)
                             .arg(info.isDefaultOutput ? ", default" : "");
        }
    } catch (const RtAudioError &) {
        // An API whose service is not running has no outputs to list.
    }
}
} // namespace

SAudioOutputChoice AudioOutputChoice(const QString &apiOption, const QString &deviceOption)
{
    return {apiOption.isEmpty() ? qEnvironmentVariable("BRINDLE_AUDIO_API") : apiOption, deviceOption};
}

bool CheckAudioApi(const QString &api, QString &errorText)
{
    const auto known = [&](const SAudioApi &candidate) { return api == QLatin1String(candidate.name); };
    if (api.isEmpty() || std::any_of(std::begin(AUDIO_APIS), std::end(AUDIO_APIS), known))
        return true;
    errorText = QStringLiteral("unknown audio API \"%1\" (pulse, alsa or jack)").arg(api);
    return false;
}

std::vector<SAudioApi> AudioApisFor(const QString &api)
{
    std::vector<SAudioApi> apis;
    for (const SAudioApi &candidate : AUDIO_APIS) {
        // RtAudio quietly takes another API for one it was built without.
        if ((api.isEmpty() || api == QLatin1String(candidate.name)) && Compiled(candidate.api))
            apis.push_back(candidate);
    }
    return apis;
}

QString AudioApiNames(const std::vector<SAudioApi> &apis)
{
    QStringList names;
    for (const SAudioApi &api : apis)
        names << QString::fromLatin1(api.displayName);
    return names.isEmpty() ? QStringLiteral("none compiled in") : names.join(QStringLiteral(", "));
}

QStringList ListAudioOutputs(const QString &api)
{
    QStringList lines;
    for (const SAudioApi &candidate : AudioApisFor(api))
        AppendOutputs(candidate, lines);
    return lines;
}
