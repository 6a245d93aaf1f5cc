#pragma once

#include "CLooperSongTable.h"
#include "CSongInfoKeeper.h"
#include "CUSBPort.h"
#include "SCliOptions.h"

#include <cstdint>

// The looper a command works on. Every Open catches the stop signals, connects as the options say
// and reports what went wrong itself; each returns EXIT_OK or the status to exit with. SLOT counts
// from 1 on the command line and from 0 from here on.
class CCliLooper {
public:
    // A song written or deleted takes its name along; songs read are not kept on the computer.
    CCliLooper() : m_table(m_port), m_songInfo(m_table, m_port, false) { m_table.SetObserver(&m_songInfo); }
    CCliLooper(const CCliLooper &) = delete;
    CCliLooper &operator=(const CCliLooper &) = delete;

    // Connects only (info, update).
    int Connect(const SCliOptions &options);
    // Connects and loads every slot on its own: EXIT_OK also when some slots are damaged.
    int Open(const SCliOptions &options);
    // Open, then the slot that `text` names.
    int OpenSlot(const SCliOptions &options, const QString &text, uint32_t &slot);
    // OpenSlot, then the slot must hold a readable song.
    int OpenSongSlot(const SCliOptions &options, const QString &text, uint32_t &slot);
    // OpenSlot, then what every write into a slot needs: no damaged slot on the looper, and --yes
    // to replace a song.
    int OpenSlotForWrite(const SCliOptions &options, const QString &text, uint32_t &slot);

    CUSBPort &Port() { return m_port; }
    CLooperSongTable &Table() { return m_table; }
    uint32_t ProductId() const { return m_port.Identity().productId; }
    CSongInfoKeeper &SongInfo() { return m_songInfo; }

private:
    CUSBPort m_port;
    CLooperSongTable m_table;
    CSongInfoKeeper m_songInfo;
};
