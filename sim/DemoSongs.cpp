#include "DemoSongs.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {
const double SAMPLE_RATE = 46875.0;
const double PI = 3.14159265358979323846;
const double FULL_SCALE = 8388607.0;
const double TEMPO_BPM = 120.0;
const double BEAT_SECONDS = 60.0 / TEMPO_BPM;
const int BARS = 2;
const int BEATS_PER_BAR = 4;
const double SONG_SECONDS = BARS * BEATS_PER_BAR * BEAT_SECONDS;

using SampleAt = std::function<double(double seconds)>;

std::vector<uint8_t> Render(const SampleAt &sampleAt)
{
    const size_t count = size_t(SONG_SECONDS * SAMPLE_RATE);
    std::vector<uint8_t> bytes;
    bytes.reserve(count * 3);
    for (size_t i = 0; i < count; ++i) {
        const double value = std::max(-1.0, std::min(1.0, sampleAt(double(i) / SAMPLE_RATE)));
        const int32_t sample = int32_t(std::lround(value * FULL_SCALE));
        bytes.push_back(uint8_t(sample));
        bytes.push_back(uint8_t(sample >> 8));
        bytes.push_back(uint8_t(sample >> 16));
    }
    return bytes;
}

double Sine(double frequency, double seconds)
{
    return std::sin(2.0 * PI * frequency * seconds);
}

// Deterministic noise for the snare and hat, so every start makes the same demo.
double Noise(double seconds)
{
    const uint32_t n = uint32_t(seconds * SAMPLE_RATE) * 2654435761u;
    return double((n >> 8) & 0xFFFF) / 32767.5 - 1.0;
}

double MidiFrequency(int note)
{
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

double Kick(double t)
{
    return 0.8 * std::exp(-t * 18.0) * Sine(50.0 + 90.0 * std::exp(-t * 30.0), t);
}

double Snare(double t)
{
    return std::exp(-t * 22.0) * (0.35 * Noise(t) + 0.25 * Sine(190.0, t));
}

double Hat(double t)
{
    return 0.12 * std::exp(-t * 80.0) * Noise(t);
}

double Drums(double seconds)
{
    const double beat = std::fmod(seconds, BEAT_SECONDS);
    const double halfBeat = std::fmod(seconds, BEAT_SECONDS / 2.0);
    const int beatNumber = int(seconds / BEAT_SECONDS) % BEATS_PER_BAR;
    const double body = beatNumber % 2 == 0 ? Kick(beat) : Snare(beat);
    return body + Hat(halfBeat);
}

double Bass(double seconds)
{
    static const int NOTES[] = {40, 40, 43, 45, 40, 40, 47, 45};
    const double step = BEAT_SECONDS / 2.0;
    const int index = int(seconds / step) % 8;
    const double t = std::fmod(seconds, step);
    const double frequency = MidiFrequency(NOTES[index]);
    const double tone = Sine(frequency, seconds) + 0.3 * Sine(2.0 * frequency, seconds);
    return 0.45 * std::exp(-t * 6.0) * std::min(1.0, t * 400.0) * tone;
}

double Pad(double seconds)
{
    static const int CHORDS[2][3] = {{52, 55, 59}, {50, 54, 57}};
    const double barSeconds = BEATS_PER_BAR * BEAT_SECONDS;
    const int chord = int(seconds / barSeconds) % 2;
    const double t = std::fmod(seconds, barSeconds);
    const double envelope = std::min(1.0, t * 4.0) * std::min(1.0, (barSeconds - t) * 8.0);
    double sum = 0.0;
    for (const int note : CHORDS[chord])
        sum += Sine(MidiFrequency(note), seconds) + 0.2 * Sine(MidiFrequency(note) * 1.003, seconds);
    return 0.15 * envelope * sum;
}
} // namespace

std::vector<uint8_t> DemoSongs::DrumLoop()
{
    return Render(Drums);
}

std::vector<uint8_t> DemoSongs::BassLine()
{
    return Render(Bass);
}

std::vector<uint8_t> DemoSongs::ChordPad()
{
    return Render(Pad);
}
