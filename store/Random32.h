#pragma once

#include <cstdint>

// A 32-bit random number from four draws of the C library's generator, reseeded with the time of
// day in milliseconds on every call.
uint32_t Random32();
