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

    // False with the reason when the file is not a regular file or libsndfile cannot read it.
    bool Open(const QString &strPath, QString &errorText);
    uint32_t Channels() const { return m_nChannels; }
    uint32_t Rate() const { return m_nRate; }
    // The length the file's header declares, also where the file ends before it; -1 when the
    // file tells no length to hold it to (an Ogg stream cut short, an MP3's estimate).
    int64_t DeclaredFrames() const { return m_nDeclaredFrames; }
    // The kind of sample the file holds: "16-bit", "32-bit float", "Vorbis".
    QString SampleText() const { return m_strSample; }
    // Reads up to frameCount frames into frames; the number read, 0 at the end, -1 on a read error.
    int64_t Read(float *frames, int64_t frameCount);
    QString ErrorText() const;

private:
    sf_private_tag *m_pFile = nullptr;
    uint32_t m_nChannels = 0;
    uint32_t m_nRate = 0;
    int64_t m_nDeclaredFrames = -1;
    QString m_strSample;
};
