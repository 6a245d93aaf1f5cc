#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// Test tones written and measured with libsndfile directly, independently of the program's own code.

struct STone {
    double frequency;
    double amplitude;
};

// A file of `frames` frames of one tone per channel; sfFormat is a libsndfile format.
bool WriteToneFile(const QString &path, int sfFormat, uint32_t rate, const std::vector<STone> &channels,
                   uint32_t frames);
// Every sample of a file (interleaved) as double; channels and rate are filled in. Empty when unreadable.
std::vector<double> ReadSoundFile(const QString &path, uint32_t &channels, uint32_t &rate);
// One channel of interleaved samples.
std::vector<double> Channel(const std::vector<double> &frames, uint32_t channels, uint32_t channel);
// 24-bit little-endian device samples as doubles in [-1, 1).
std::vector<double> DeviceSamples(const std::vector<uint8_t> &bytes);

// Signal to noise ratio in dB of samples against the ideal tone at rate, over the samples away from the
// clip's edges (where the conversion filter starts and stops).
double SnrAgainstTone(const std::vector<double> &samples, uint32_t rate, const STone &tone);
// The level of a tone of the given frequency in the samples (least squares, any phase), in dB relative to
// full scale, over the same middle part.
double ToneLevelDb(const std::vector<double> &samples, uint32_t rate, double frequency);
// The RMS level of the same middle part in dB relative to full scale.
double RmsDb(const std::vector<double> &samples);
// The SNR in dB after the best fit of a tone of the given frequency (any amplitude and phase): what is
// left besides the tone, for a conversion that also shifts the signal in time.
double SnrAfterFit(const std::vector<double> &samples, uint32_t rate, double frequency);
