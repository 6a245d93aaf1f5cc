#pragma once

#include <QString>
#include <QStringList>

#include <RtAudio.h>

#include <vector>

// Which audio output to play on: an API ("pulse", "alsa" or "jack"; empty: the first of them that has an
// output, in that order) and a device as ListAudioOutputs names it (empty: the API's default output).
struct SAudioOutputChoice {
    QString api;
    QString device;
};

struct SAudioApi {
    RtAudio::Api api;
    const char *name;
    const char *displayName;
};

// The choice that the options make, BRINDLE_AUDIO_API standing in for an API option not given.
SAudioOutputChoice AudioOutputChoice(const QString &apiOption, const QString &deviceOption);
// False with a text when api is not empty and names no API this program plays on.
bool CheckAudioApi(const QString &api, QString &errorText);
// The APIs of the library that api allows, in the order they are tried.
std::vector<SAudioApi> AudioApisFor(const QString &api);
// "PulseAudio, ALSA, JACK".
QString AudioApiNames(const std::vector<SAudioApi> &apis);
// One line per output of the APIs that api allows: "jack: system (2 channels, 48000 Hz)"; the name
// after the colon is what --audio-device takes.
QStringList ListAudioOutputs(const QString &api);
