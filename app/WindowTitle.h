#pragma once

#include <QString>

#include <cstdint>

// "major.minor.patch" from bits 16..23, 8..15 and 0..7 of a firmware version.
QString FormatVersion(uint32_t firmwareVersion);
