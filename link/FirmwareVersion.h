#pragma once

#include <QString>

#include <cstdint>

// "%d.%d.%d" of bits 16..23, 8..15 and 0..7 of a firmware version; bits 24..31 carry nothing.
QString FormatVersion(uint32_t firmwareVersion);
