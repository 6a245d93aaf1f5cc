#pragma once

#include <cstdint>

// 7-bit packing of SysEx bodies: the body is one little-endian bit stream cut into 7-bit wire bytes.
uint32_t PackedLength(uint32_t bodyLength);
// Writes PackedLength(length) bytes to wire; returns that count.
uint32_t PackSevenBit(const uint8_t *body, uint32_t length, uint8_t *wire);

// Collects 7-bit wire bytes and hands out whole body bytes.
class CSevenBitUnpacker {
public:
    // Adds one wire byte; returns true and sets byte when 8 bits were complete.
    bool Add(uint8_t wireByte, uint8_t &byte)
    {
        m_nBits |= static_cast<uint32_t>(wireByte & 0x7F) << m_nPending;
        m_nPending += 7;
        if (m_nPending < 8)
            return false;
        byte = static_cast<uint8_t>(m_nBits);
        m_nBits >>= 8;
        m_nPending -= 8;
        return true;
    }

private:
    uint32_t m_nBits = 0;
    uint32_t m_nPending = 0;
};
