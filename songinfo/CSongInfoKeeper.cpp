#include "CSongInfoKeeper.h"

#include "CLooperSongTable.h"
#include "CUSBPort.h"

CSongInfoKeeper::CSongInfoKeeper(const CLooperSongTable &table, const CUSBPort &port, bool keepReadSongs)
    : m_table(table), m_port(port), m_bKeepReadSongs(keepReadSongs)
{
}

SSongIdentity CSongInfoKeeper::Identity(uint32_t slot) const
{
    return SongIdentityOf(m_table, m_port.Identity().productId, slot);
}

SSongPeaks CSongInfoKeeper::KeepWholeSong(const SSongIdentity &identity, const uint8_t *bytes,
                                          uint32_t length)
{
    const SSongPeaks peaks = ExactPeaks(bytes, length, m_table.Geometry().channels);
    m_cache.StorePeaks(identity, peaks);
    m_cache.StoreSongBytes(identity, bytes, length);
    return peaks;
}

void CSongInfoKeeper::SongRead(uint32_t slot, const uint8_t *bytes, uint32_t length)
{
    const SSongIdentity identity = Identity(slot);
    if (!m_bKeepReadSongs || !identity.IsValid())
        return;
    const SSongPeaks peaks = KeepWholeSong(identity, bytes, length);
    if (m_onKept)
        m_onKept(slot, peaks);
}

void CSongInfoKeeper::SongWritten(uint32_t slot)
{
    ForgetSong(slot);
}

void CSongInfoKeeper::SongErased(uint32_t slot)
{
    ForgetSong(slot);
}

// A song's name, peaks and bytes are kept under its record's place: they follow it to the new one.
void CSongInfoKeeper::SongMoved(const SSongPlace &from, const SSongPlace &to)
{
    const uint32_t productId = m_port.Identity().productId;
    const SSongIdentity before = SongIdentityAt(productId, from);
    const SSongIdentity after = SongIdentityAt(productId, to);
    m_names.Move(before, after);
    m_cache.Move(before, after);
}

void CSongInfoKeeper::ForgetSong(uint32_t slot)
{
    const SSongIdentity identity = Identity(slot);
    m_names.Forget(identity);
    m_cache.Forget(identity);
}
