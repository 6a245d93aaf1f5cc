#pragma once

#include "CWaveBuffer.h"
#include "SFileFailure.h"
#include "WaveFormat.h"

#include <QString>

class QFile;

// The longest clip a caller can use: frames frames at rate Hz. A rate of 0 sets no limit.
struct SClipLimit {
    uint64_t frames = 0;
    uint32_t rate = 0;
};

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
    // Shows the failure's text: "Open file failed" for a file that cannot be opened.
    bool Load(const QString &strPath);
    // A clip whose frames span more than the limit is refused ("File too large!") before its
    // samples are read, and so is one without a rate; only a regular file is opened.
    bool Load(const QString &strPath, const SClipLimit &limit, SFileFailure &failure);
    // Shows the failure's text: "Open file failed" or "Write file failed".
    bool Save(const QString &strPath) const;
    // Replaces the file only once the whole clip is written (CFileReplacement).
    bool Save(const QString &strPath, SFileFailure &failure) const;
    void Convert(uint32_t targetRate);

    // True when the format block equals format byte for byte.
    bool HasFormat(const WaveFormat &other) const;
    uint32_t DataLength() const { return uint32_t(format.blockAlign) * buffer.frameCount; }
    // What Save writes before the samples, for a data chunk of dataLength bytes.
    QByteArray FileHeader(uint32_t dataLength) const;
    static const int FILE_HEADER_SIZE = 46;

    WaveFormat format;
    CWaveBuffer buffer;

private:
    bool ReadChunks(QFile &file, const QByteArray &name, WaveFormat &loaded, uint32_t &dataSize,
                    SFileFailure &failure) const;
    bool ReadSamples(QFile &file, const QByteArray &name, const WaveFormat &loaded, uint32_t dataSize,
                     const SClipLimit &limit, SFileFailure &failure);
};
