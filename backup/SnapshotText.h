#pragma once

#include "BackupManifest.h"

#include <QString>

// How a snapshot is shown in the list of a backup folder's snapshots:
// "2026-12-08T10:15:00Z  PULSE RIG  30 songs  changed 3, 17; added 7; removed 12", slots from 1,
// what changed told against the snapshot before it (null for the first).
QString SnapshotLine(const SBackupManifest &snapshot, const SBackupManifest *previous);
