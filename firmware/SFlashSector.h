#pragma once

#include <cstdint>

// One erase unit of a flash layout; area is the device memory area the erase and write commands name.
struct SFlashSector {
    uint32_t area;
    uint32_t address;
    uint32_t size;
};
