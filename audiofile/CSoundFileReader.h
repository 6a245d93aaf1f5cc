#pragma once

#include <QString>

#include <cstdint>

struct sf_private_tag;

// An audio file open for reading through libsndfile, as float samples in [-1, 1).
class CSoundFileReader {
public:
    CSoundFileReader() = default;
    ~CSoundFileReader();
    CSoundFileReader(const CSoundFileReader &) = delete;
    CSoundFileReader &operator=(const CSoundFileReader &) = delete;

    // False with libsndfile's reason when the file cannot be read.
    bool Open(const QString &strPath, QString &errorText);
    uint32_t Channels() const { return m_nChannels; }
    uint32_t Rate() const { return m_nRate; }
    // The length the file declares; an estimate for some compressed formats.
    int64_t Frames() const { return m_nFrames; }
    // Reads up to frameCount frames into frames; the number read, 0 at the end, -1 on a read error.
    int64_t Read(float *frames, int64_t frameCount);
    QString ErrorText() const;

private:
    sf_private_tag *m_pFile = nullptr;
    uint32_t m_nChannels = 0;
    uint32_t m_nRate = 0;
    int64_t m_nFrames = 0;
};
