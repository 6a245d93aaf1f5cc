#include "ToneMeasure.h"

#include <QFile>

#include <sndfile.h>

#include <algorithm>
#include <cmath>

namespace {
const size_t EDGE = 3000;

double Ideal(const STone &tone, uint32_t rate, size_t k)
{
    return tone.amplitude * std::sin(2 * M_PI * tone.frequency * double(k) / rate);
}
} // namespace

bool WriteToneFile(const QString &path, int sfFormat, uint32_t rate, const std::vector<STone> &channels,
                   uint32_t frames)
{
    SF_INFO info = {};
    info.format = sfFormat;
    info.samplerate = int(rate);
    info.channels = int(channels.size());
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    // In pieces, so that a long file never needs its whole length in memory.
    const size_t PIECE_FRAMES = 65536;
    std::vector<double> piece;
    bool written = true;
    for (size_t done = 0; written && done < frames; done += PIECE_FRAMES) {
        const size_t count = std::min<size_t>(PIECE_FRAMES, frames - done);
        piece.clear();
        for (size_t k = done; k < done + count; ++k) {
            for (const STone &tone : channels)
                piece.push_back(Ideal(tone, rate, k));
        }
        written = sf_writef_double(file, piece.data(), sf_count_t(count)) == sf_count_t(count);
    }
    return sf_close(file) == 0 && written;
}

std::vector<double> ReadSoundFile(const QString &path, uint32_t &channels, uint32_t &rate)
{
    SF_INFO info = {};
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return {};
    std::vector<double> samples(size_t(info.frames) * info.channels);
    sf_readf_double(file, samples.data(), info.frames);
    sf_close(file);
    channels = uint32_t(info.channels);
    rate = uint32_t(info.samplerate);
    return samples;
}

std::vector<double> Channel(const std::vector<double> &frames, uint32_t channels, uint32_t channel)
{
    std::vector<double> samples;
    for (size_t i = channel; i < frames.size(); i += channels)
        samples.push_back(frames[i]);
    return samples;
}

std::vector<double> DeviceSamples(const std::vector<uint8_t> &bytes)
{
    std::vector<double> samples;
    for (size_t i = 0; i + 3 <= bytes.size(); i += 3) {
        const int32_t raw = bytes[i] | bytes[i + 1] << 8 | bytes[i + 2] << 16;
        samples.push_back(double(raw & 0x800000 ? raw - 0x1000000 : raw) / 8388608.0);
    }
    return samples;
}

double SnrAgainstTone(const std::vector<double> &samples, uint32_t rate, const STone &tone)
{
    double signal = 0;
    double noise = 0;
    for (size_t k = EDGE; k + EDGE < samples.size(); ++k) {
        const double ideal = Ideal(tone, rate, k);
        signal += ideal * ideal;
        noise += (samples[k] - ideal) * (samples[k] - ideal);
    }
    return 10 * std::log10(signal / std::max(noise, 1e-300));
}

namespace {
// Least-squares amplitudes of sine and cosine at the frequency over the middle part.
void FitTone(const std::vector<double> &samples, uint32_t rate, double frequency, double &s, double &c)
{
    double ss = 0, cc = 0, sc = 0, ys = 0, yc = 0;
    for (size_t k = EDGE; k + EDGE < samples.size(); ++k) {
        const double phase = 2 * M_PI * frequency * double(k) / rate;
        const double sine = std::sin(phase);
        const double cosine = std::cos(phase);
        ss += sine * sine;
        cc += cosine * cosine;
        sc += sine * cosine;
        ys += samples[k] * sine;
        yc += samples[k] * cosine;
    }
    const double determinant = std::max(ss * cc - sc * sc, 1e-300);
    s = (ys * cc - yc * sc) / determinant;
    c = (yc * ss - ys * sc) / determinant;
}
} // namespace

double ToneLevelDb(const std::vector<double> &samples, uint32_t rate, double frequency)
{
    double s = 0;
    double c = 0;
    FitTone(samples, rate, frequency, s, c);
    return 20 * std::log10(std::max(std::sqrt(s * s + c * c), 1e-300));
}

double SnrAfterFit(const std::vector<double> &samples, uint32_t rate, double frequency)
{
    double s = 0;
    double c = 0;
    FitTone(samples, rate, frequency, s, c);
    double signal = 0;
    double noise = 0;
    for (size_t k = EDGE; k + EDGE < samples.size(); ++k) {
        const double phase = 2 * M_PI * frequency * double(k) / rate;
        const double fitted = s * std::sin(phase) + c * std::cos(phase);
        signal += fitted * fitted;
        noise += (samples[k] - fitted) * (samples[k] - fitted);
    }
    return 10 * std::log10(signal / std::max(noise, 1e-300));
}

double RmsDb(const std::vector<double> &samples)
{
    double sum = 0;
    size_t count = 0;
    for (size_t k = EDGE; k + EDGE < samples.size(); ++k, ++count)
        sum += samples[k] * samples[k];
    return 10 * std::log10(std::max(sum / std::max<size_t>(count, 1), 1e-300));
}
