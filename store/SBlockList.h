#pragma once

#include <boost/shared_array.hpp>

#include <cstdint>

// The data blocks of one song, in song order.
struct SBlockList {
    boost::shared_array<uint16_t> blocks;
    uint32_t count = 0;
};
