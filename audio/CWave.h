#pragma once

#include "CWaveBuffer.h"
#include "WaveFormat.h"

#include <QString>

class QFile;

// One PCM clip in memory: its format block and its sample bytes. Reads and writes RIFF/WAVE
// files and converts itself to 24-bit mono at a target rate.
class CWave {
public:
    CWave();
    virtual ~CWave() = default;
    CWave(const CWave &) = delete;
    CWave &operator=(const CWave &) = delete;

    void SetFormat(uint16_t channels, uint32_t samplesPerSec, uint16_t bitsPerSample);
    // Takes ownership of array (allocated with new[]).
    void SetData(uint8_t *array, uint32_t frameCount);
    bool Load(const QString &strPath);
    bool Save(const QString &strPath) const;
    void Convert(uint32_t targetRate);

    // True when the format block equals format byte for byte.
    bool HasFormat(const WaveFormat &other) const;
    uint32_t DataLength() const { return uint32_t(format.blockAlign) * buffer.frameCount; }

    WaveFormat format;
    CWaveBuffer buffer;

private:
    bool ReadChunks(QFile &file, const QByteArray &name, WaveFormat &loaded, uint32_t &dataSize) const;
    bool ReadSamples(QFile &file, const QByteArray &name, const WaveFormat &loaded, uint32_t dataSize);
};
