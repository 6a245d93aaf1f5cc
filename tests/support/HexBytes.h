#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// "00 59 11" style text of bytes, for readable assertions on wire and flash contents.
QString HexBytes(const uint8_t *bytes, size_t length);
QString HexBytes(const QByteArray &bytes);
QString HexBytes(const std::vector<uint8_t> &bytes);
// Parses "00 59 11" back into bytes.
std::vector<uint8_t> BytesFromHex(const QString &text);
