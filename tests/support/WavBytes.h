#pragma once

#include <QByteArray>
#include <QList>

#include <cstdint>

QByteArray LittleEndian32(uint32_t value);
QByteArray LittleEndian16(uint16_t value);
// A PCM WAV file as bytes, built from the format's description: a fmt chunk of fmtSize bytes
// (zero-padded past the 16 that describe the format), an optional chunk before data, the data.
QByteArray WavBytes(uint16_t channels, uint32_t rate, uint16_t bits, const QByteArray &samples,
                    int fmtSize = 16, const QByteArray &beforeData = QByteArray());
// 46875 Hz 24-bit mono with the 18-byte fmt chunk the program writes itself: the looper's own
// form, which a download stores without converting.
QByteArray DeviceFormWavBytes(const QByteArray &samples);
// 24-bit little-endian samples.
QByteArray Samples24(const QList<int> &values);
