#pragma once

#include "AudioOutputChoice.h"

#include <QString>

#include <cstdint>
#include <memory>

// Fills `frames` frames of `channels` interleaved float samples; called on the output's own thread.
using AudioRender = void (*)(float *output, uint32_t frames, uint32_t channels, void *user);

// An audio output through RtAudio, opened on the first API the choice allows that has the device.
// Opening asks the audio service about its devices and takes a good part of a second on a busy
// machine, so an output is opened once and then started and stopped for every song it plays.
class CAudioOutput {
public:
    static constexpr const char *CLIENT_NAME = "brindle";

    CAudioOutput();
    ~CAudioOutput();
    CAudioOutput(const CAudioOutput &) = delete;
    CAudioOutput &operator=(const CAudioOutput &) = delete;

    // Opens the device (up to two channels, at its preferred rate) without starting it. With JACK the
    // client is named "brindle" and its outputs are connected to the device's first ports: the first
    // two physical playback ports for the default device. False with the one line to show.
    bool Open(const SAudioOutputChoice &choice, QString &errorText);
    bool IsOpen() const { return m_pAudio != nullptr; }
    // Starts calling render for every buffer, on the output's own thread.
    bool Start(AudioRender render, void *user);
    // Stops the calls at once; the output stays open. To let the end of a song be heard, a caller
    // goes on rendering silence for BufferedFrames first: the library's own draining stop waits
    // for a wake-up that its callback can send before the wait has begun, and then never returns.
    void Abort();
    // True once the library reported that the running output failed (its service went away).
    bool Failed() const;

    uint32_t Rate() const { return m_nRate; }
    // The most the output holds of what was rendered before it is heard.
    uint32_t BufferedFrames() const { return m_nBufferedFrames; }
    uint32_t Channels() const { return m_nChannels; }
    // "jack: system".
    QString Name() const { return m_strName; }

private:
    static int OnBuffer(void *output, void *input, unsigned int frames, double time, unsigned int status,
                        void *user);
    bool OpenOn(const SAudioApi &api, const QString &device);
    bool OpenUsualJackOutput(RtAudio &audio, const SAudioApi &api);
    bool OpenStream(RtAudio &audio, const SAudioApi &api, unsigned int id, const RtAudio::DeviceInfo &info);

    std::unique_ptr<RtAudio> m_pAudio;
    AudioRender m_pfnRender = nullptr;
    void *m_pUser = nullptr;
    uint32_t m_nRate = 0;
    uint32_t m_nChannels = 0;
    uint32_t m_nBufferedFrames = 0;
    QString m_strName;
};
