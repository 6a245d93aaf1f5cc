#pragma once

#include "CLooperSongTable.h"
#include "CSimDevice.h"
#include "CUSBPort.h"

#include <QMetaType>
#include <QObject>
#include <QPair>
#include <QVector>

#include <memory>
#include <vector>

using Bytes = std::vector<uint8_t>;
Q_DECLARE_METATYPE(Bytes)

// A simulated looper of one model, connected, with a song table on it.
class CStoreRig {
public:
    // Once per test program: simulator ports and a clock on which silence passes at once.
    static void InstallSimulator();

    explicit CStoreRig(uint32_t productId);
    ~CStoreRig();

    CSimDevice &Device() { return *m_pDevice; }
    CSimFlash &Flash() { return m_pDevice->Flash(); }
    CUSBPort &Port() { return m_port; }
    CLooperSongTable &Table() { return m_table; }
    const FlashGeometry &Geometry() const { return *FindDeviceModel(m_nProductId)->geometry; }

    // A new looper with the flash of the old one, connected: as after power came back.
    void PlugBackIn();
    // Connects the port to the same looper again, trying a few times; false when it never answers.
    bool Reconnect();
    // The next allocations start at this block.
    void StartAllocationAt(uint32_t block);
    Bytes Page(uint32_t block, uint32_t page, uint32_t length);
    void PokePage(uint32_t block, uint32_t page, const Bytes &bytes);
    // Read requests since the log was cleared, as (address, count).
    std::vector<QPair<uint32_t, uint32_t>> Reads() const;
    // An erase was requested at exactly this address, not merely somewhere in its sector.
    bool FlashErased(uint8_t area, uint32_t address) const;

private:
    uint32_t m_nProductId;
    std::shared_ptr<CSimDevice> m_pDevice;
    CUSBPort m_port;
    CLooperSongTable m_table;
};

// Song bytes that differ from slot to slot and never look erased.
Bytes SongBytes(uint32_t length, uint32_t seed);
Bytes Concat(const Bytes &a, const Bytes &b);
Bytes Fill(uint32_t length, uint8_t value);
void PutLE(Bytes &to, uint32_t value, int bytes);
// The flash records, laid out here byte by byte on their own.
Bytes FileHeaderBytes(uint32_t groups, const std::vector<uint16_t> &blocks);
Bytes LegacyRecordBytes(uint16_t lastBlock, uint8_t lastPage, uint8_t lastGroup,
                        const std::vector<uint16_t> &blocks);

// Collects the progress events posted to it.
class CProgressRecorder : public QObject {
public:
    bool event(QEvent *event) override;
    QVector<QPair<qint64, qint64>> events;
};
