#include "WavBytes.h"

#include <QtEndian>

QByteArray LittleEndian32(uint32_t value)
{
    uint8_t bytes[4];
    qToLittleEndian(value, bytes);
    return QByteArray(reinterpret_cast<char *>(bytes), 4);
}

QByteArray LittleEndian16(uint16_t value)
{
    return LittleEndian32(value).left(2);
}

QByteArray WavBytes(uint16_t channels, uint32_t rate, uint16_t bits, const QByteArray &samples, int fmtSize,
                    const QByteArray &beforeData)
{
    const uint16_t align = uint16_t(channels * bits / 8);
    QByteArray fmt = LittleEndian16(1) + LittleEndian16(channels) + LittleEndian32(rate) +
                     LittleEndian32(rate * align) + LittleEndian16(align) + LittleEndian16(bits);
    fmt = fmt.leftJustified(fmtSize, '\0', true);
    const QByteArray body = "WAVEfmt " + LittleEndian32(uint32_t(fmt.size())) + fmt + beforeData + "data" +
                            LittleEndian32(uint32_t(samples.size())) + samples;
    return "RIFF" + LittleEndian32(uint32_t(body.size())) + body;
}

QByteArray DeviceFormWavBytes(const QByteArray &samples)
{
    const int EXTRA_SIZE_AT = 36;
    return WavBytes(1, 46875, 24, samples, 18).replace(EXTRA_SIZE_AT, 2, LittleEndian16(18));
}

QByteArray Samples24(const QList<int> &values)
{
    QByteArray bytes;
    for (int value : values)
        bytes += LittleEndian32(uint32_t(value)).left(3);
    return bytes;
}
