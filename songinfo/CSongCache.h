#pragma once

#include "SSongIdentity.h"
#include "SSongPeaks.h"

#include <QString>

#include <cstdint>
#include <vector>

// What the computer keeps of songs it has seen, by song identity, so that looking at (or playing)
// a song again costs no device traffic: its waveform peaks ("<key>.peaks") and, once the whole
// song was read, its bytes ("<key>.song"). Each file is written under a temporary name, synced and
// renamed, and carries a CRC-32: one that does not read back whole and sound is ignored. When the
// files pass the size limit, those used longest ago are removed.
class CSongCache {
public:
    // About twelve full Corvel Solo slots, or two hours of mono songs.
    static const qint64 DEFAULT_LIMIT = qint64(1) << 30;

    // $XDG_CACHE_HOME/brindle (~/.cache/brindle by default).
    static QString DefaultFolder();

    explicit CSongCache(const QString &folder = DefaultFolder(), qint64 limit = DEFAULT_LIMIT);

    bool LoadPeaks(const SSongIdentity &identity, SSongPeaks &peaks) const;
    // An overview never replaces exact peaks of the same song.
    bool StorePeaks(const SSongIdentity &identity, const SSongPeaks &peaks);
    // The whole song as the looper holds it; false when it is not kept.
    bool LoadSongBytes(const SSongIdentity &identity, std::vector<uint8_t> &bytes) const;
    bool StoreSongBytes(const SSongIdentity &identity, const uint8_t *bytes, uint32_t length);
    // Everything kept under the identity goes (its song was deleted or replaced).
    void Forget(const SSongIdentity &identity);
    // What is kept under `from` is kept under `to` instead: the song's record was moved.
    void Move(const SSongIdentity &from, const SSongIdentity &to);

private:
    QString FilePath(const SSongIdentity &identity, const char *suffix) const;
    bool Store(const QString &path, const QByteArray &header, const uint8_t *bytes, uint32_t length);
    void Evict(const QString &keep) const;

    QString m_strFolder;
    qint64 m_nLimit;
};
