#include "CAudioOutput.h"

#include <algorithm>
#include <atomic>

namespace {
const unsigned int BUFFER_FRAMES = 512;
// About 85 ms at 48 kHz. Left to itself PulseAudio buffers two seconds, which it asks for in one
// burst at the start, faster than the song is read.
const unsigned int BUFFER_COUNT = 8;
const unsigned int FALLBACK_RATE = 48000;
const unsigned int MAX_CHANNELS = 2;

// The library's error callback carries no context; one output plays at a time.
std::atomic<bool> g_bOutputFailed{false};

// Without this callback the library would throw from its own threads once the stream is open.
void OnOutputError(RtAudioError::Type type, const std::string &)
{
    if (type != RtAudioError::WARNING && type != RtAudioError::DEBUG_WARNING)
        g_bOutputFailed = true;
}

// Every question about devices costs the library a connection to the audio service: as few as can be.
bool FindDevice(RtAudio &audio, const QString &name, unsigned int &device, RtAudio::DeviceInfo &info)
{
    if (name.isEmpty()) {
        device = audio.getDefaultOutputDevice();
        info = audio.getDeviceInfo(device);
        return info.outputChannels > 0;
    }
    const unsigned int count = audio.getDeviceCount();
    for (device = 0; device < count; ++device) {
        info = audio.getDeviceInfo(device);
        if (info.outputChannels > 0 && name == QString::fromStdString(info.name))
            return true;
    }
    return false;
}
} // namespace

CAudioOutput::CAudioOutput() = default;

CAudioOutput::~CAudioOutput()
{
    Abort();
    try {
        if (m_pAudio && m_pAudio->isStreamOpen())
            m_pAudio->closeStream();
    } catch (const RtAudioError &) {
        // A service that went away leaves nothing to close.
    }
}

bool CAudioOutput::Open(const SAudioOutputChoice &choice, QString &errorText)
{
    const std::vector<SAudioApi> apis = AudioApisFor(choice.api);
    for (const SAudioApi &api : apis) {
        if (OpenOn(api, choice.device))
            return true;
    }
    errorText = choice.device.isEmpty()
                    ? QStringLiteral("No audio output found (tried %1)").arg(AudioApiNames(apis))
                    : QStringLiteral("No audio output named \"%1\" (tried %2)")
                          .arg(choice.device, AudioApiNames(apis));
    return false;
}

// A JACK server answers every question about its ports through a client of its own, which takes
// about a tenth of a second: the usual case, two playback ports at the rate most servers run at, is
// tried first without asking, so that the first Play is heard at once.
bool CAudioOutput::OpenUsualJackOutput(RtAudio &audio, const SAudioApi &api)
{
    RtAudio::DeviceInfo usual;
    usual.name = "system";
    usual.outputChannels = MAX_CHANNELS;
    usual.preferredSampleRate = FALLBACK_RATE;
    return OpenStream(audio, api, audio.getDefaultOutputDevice(), usual);
}

bool CAudioOutput::OpenOn(const SAudioApi &api, const QString &device)
{
    try {
        auto audio = std::make_unique<RtAudio>(api.api);
        audio->showWarnings(false);
        if (api.api == RtAudio::UNIX_JACK && device.isEmpty() && OpenUsualJackOutput(*audio, api)) {
            m_pAudio = std::move(audio);
            return true;
        }
        unsigned int id = 0;
        RtAudio::DeviceInfo info;
        if (!FindDevice(*audio, device, id, info))
            return false;
        if (api.api == RtAudio::LINUX_ALSA && device.isEmpty())
            info.name = "default";
        if (!OpenStream(*audio, api, id, info))
            return false;
        m_pAudio = std::move(audio);
        return true;
    } catch (const RtAudioError &) {
        // The service is not there or refused the device: the next API is tried.
        return false;
    }
}

bool CAudioOutput::OpenStream(RtAudio &audio, const SAudioApi &api, unsigned int id,
                              const RtAudio::DeviceInfo &info)
{
    RtAudio::StreamParameters parameters;
    parameters.deviceId = id;
    parameters.nChannels = std::min(info.outputChannels, MAX_CHANNELS);
    RtAudio::StreamOptions options;
    options.streamName = CLIENT_NAME;
    options.numberOfBuffers = BUFFER_COUNT;
    // ALSA's "default" device is what the desktop's sound setup routes; its first card may be busy.
    if (api.api == RtAudio::LINUX_ALSA && info.name == "default")
        options.flags = RTAUDIO_ALSA_USE_DEFAULT;
    unsigned int frames = BUFFER_FRAMES;
    const unsigned int rate = info.preferredSampleRate ? info.preferredSampleRate : FALLBACK_RATE;
    try {
        audio.openStream(&parameters, nullptr, RTAUDIO_FLOAT32, rate, &frames, &CAudioOutput::OnBuffer, this,
                         &options, &OnOutputError);
    } catch (const RtAudioError &) {
        return false;
    }
    m_nRate = audio.getStreamSampleRate();
    m_nChannels = parameters.nChannels;
    // The buffers asked for, or what the service reports when it holds more; then the buffer being
    // filled.
    m_nBufferedFrames =
        uint32_t(std::max<long>(audio.getStreamLatency(), long(BUFFER_COUNT) * frames)) + frames;
    m_strName = QStringLiteral("%1: %2").arg(api.name, QString::fromStdString(info.name));
    return true;
}

bool CAudioOutput::Start(AudioRender render, void *user)
{
    if (!m_pAudio)
        return false;
    Abort();
    m_pfnRender = render;
    m_pUser = user;
    g_bOutputFailed = false;
    try {
        m_pAudio->startStream();
        return !g_bOutputFailed;
    } catch (const RtAudioError &) {
        return false;
    }
}

void CAudioOutput::Abort()
{
    try {
        if (m_pAudio && m_pAudio->isStreamRunning())
            m_pAudio->abortStream();
    } catch (const RtAudioError &) {
        // A service that went away has stopped already.
    }
}

bool CAudioOutput::Failed() const
{
    return g_bOutputFailed;
}

int CAudioOutput::OnBuffer(void *output, void *, unsigned int frames, double, unsigned int, void *user)
{
    auto *self = static_cast<CAudioOutput *>(user);
    self->m_pfnRender(static_cast<float *>(output), frames, self->m_nChannels, self->m_pUser);
    return 0;
}
