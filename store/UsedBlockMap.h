#pragma once

#include "DeviceModel.h"

#include <bitset>

// One bit per flash block: set while a loaded song occupies the block.
using UsedBlockMap = std::bitset<MAX_BLOCK_NUMBER>;
