#include "HexBytes.h"

#include <QStringList>

QString HexBytes(const uint8_t *bytes, size_t length)
{
    QStringList parts;
    for (size_t i = 0; i < length; ++i)
        parts << QStringLiteral("%1").arg(bytes[i], 2, 16, QLatin1Char('0')).toUpper();
    return parts.join(QLatin1Char(' '));
}

QString HexBytes(const QByteArray &bytes)
{
    return HexBytes(reinterpret_cast<const uint8_t *>(bytes.constData()), static_cast<size_t>(bytes.size()));
}

QString HexBytes(const std::vector<uint8_t> &bytes)
{
    return HexBytes(bytes.data(), bytes.size());
}

std::vector<uint8_t> BytesFromHex(const QString &text)
{
    std::vector<uint8_t> bytes;
    for (const QString &part : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        bytes.push_back(static_cast<uint8_t>(part.toUInt(nullptr, 16)));
    return bytes;
}
