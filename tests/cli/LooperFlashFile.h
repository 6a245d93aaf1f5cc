#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

#include <cstdint>

// A simulated looper's flash kept in a file, for the command-line tool's BRINDLE_SIM_FLASH: songs
// are put in and read out through the same core classes, in this process.
namespace LooperFlashFile {
// Stores each song (slot from 0) into a fresh flash of the model; false when one could not be stored.
bool Write(const QString &path, uint32_t productId, const QMap<uint32_t, QByteArray> &songs);
// Every slot that holds a song, as the device stores it; false when a slot could not be loaded or read.
bool Read(const QString &path, uint32_t productId, QMap<uint32_t, QByteArray> &songs);
// Overwrites bytes of area 1 (the song area) without any checks, as a flash fault would.
bool Damage(const QString &path, uint32_t productId, uint32_t address, const QByteArray &bytes);
} // namespace LooperFlashFile
