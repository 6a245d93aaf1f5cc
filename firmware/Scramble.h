#pragma once

#include <cstdint>

// XORs every byte with the key; applying it twice gives the original bytes back.
void Scramble(uint8_t *bytes, uint32_t length, uint8_t key);
