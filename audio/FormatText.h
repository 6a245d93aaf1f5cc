#pragma once

#include <QString>

#include <cstdint>

// How the command-line tool names what a transfer did.

// "mono", "stereo", "6-channel".
QString ChannelCountText(uint32_t channels);
// "44100 Hz 16-bit stereo"; sample names the kind of sample ("16-bit", "32-bit float").
QString SampleFormatText(uint32_t rate, const QString &sample, uint32_t channels);
// "44100 Hz 16-bit stereo → 46875 Hz 24-bit mono": the samples a transfer took and what it made.
QString ConversionText(const QString &from, const QString &to);
// The length of frames frames at rate as m:ss.mmm ("0:05.001", "125:00.000").
QString LengthText(uint64_t frames, uint32_t rate);
// A short span in milliseconds, two significant digits ("1.2 ms").
QString MillisecondsText(uint64_t frames, uint32_t rate);
