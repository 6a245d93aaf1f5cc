#pragma once

#include "SSongPlace.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

class CLooperSongTable;

// What tells one song from any other on the loopers of one model: the SHA-256 of the slot's FAT
// block, the page and the bytes of the song's record. A new song gets a new record, so a name or a
// waveform kept under an identity belongs to that song only.
struct SSongIdentity {
    uint32_t productId = 0;
    QByteArray digest;

    bool IsValid() const { return !digest.isEmpty(); }
    // "10002-<64 hex digits>": the name of the song in the names file and in the cache.
    QString Key() const;
    bool operator==(const SSongIdentity &other) const
    {
        return productId == other.productId && digest == other.digest;
    }
    bool operator!=(const SSongIdentity &other) const { return !(*this == other); }
};

// The identity of the song the loaded slot holds; an invalid one for an empty, damaged or unknown slot.
SSongIdentity SongIdentityOf(const CLooperSongTable &table, uint32_t productId, uint32_t slot);
// The identity of the song whose record lies at `place`.
SSongIdentity SongIdentityAt(uint32_t productId, const SSongPlace &place);
