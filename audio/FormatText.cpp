#include "FormatText.h"

QString ChannelCountText(uint32_t channels)
{
    if (channels == 1)
        return QStringLiteral("mono");
    if (channels == 2)
        return QStringLiteral("stereo");
    return QStringLiteral("%1-channel").arg(channels);
}

QString SampleFormatText(uint32_t rate, const QString &sample, uint32_t channels)
{
    return QStringLiteral("%1 Hz %2 %3").arg(rate).arg(sample, ChannelCountText(channels));
}

QString ConversionText(const QString &from, const QString &to)
{
    return from + QStringLiteral(" → ") + to;
}

QString LengthText(uint64_t frames, uint32_t rate)
{
    const uint64_t milliseconds = rate == 0 ? 0 : (frames * 1000 + rate / 2) / rate;
    return QString::asprintf("%llu:%02llu.%03llu", static_cast<unsigned long long>(milliseconds / 60000),
                             static_cast<unsigned long long>(milliseconds / 1000 % 60),
                             static_cast<unsigned long long>(milliseconds % 1000));
}

QString MillisecondsText(uint64_t frames, uint32_t rate)
{
    return QStringLiteral("%1 ms").arg(rate == 0 ? 0.0 : double(frames) * 1000 / rate, 0, 'g', 2);
}
