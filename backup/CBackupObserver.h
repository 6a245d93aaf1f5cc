#pragma once

#include <QObject>

#include <cstdint>

// Follows a backup or a restore song by song; the song's bytes move as progress events
// (CEventBase) to ProgressTarget.
class CBackupObserver {
public:
    virtual ~CBackupObserver() = default;
    // Song `index` (from 1) of `count` starts: slot from 0, its length in bytes.
    virtual void SongStarted(uint32_t index, uint32_t count, uint32_t slot, uint32_t bytes) = 0;
    virtual QObject *ProgressTarget() = 0;
};
