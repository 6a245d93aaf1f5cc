#pragma once

#include "CFileReplacement.h"
#include "CTpdfDither.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

struct sf_private_tag;

// Writes float frames to an audio file through libsndfile, into a temporary file beside the target
// that only Commit puts in its place: no partial file ever carries the final name, and an earlier
// file stays as it was until then. Every byte libsndfile writes, its header at close included, goes
// through a write that is checked, so a short write anywhere fails the file. 16-bit output is
// dithered, 24-bit output rounded and clipped.
class CSoundFileWriter {
public:
    explicit CSoundFileWriter(const QString &strPath);
    ~CSoundFileWriter();
    CSoundFileWriter(const CSoundFileWriter &) = delete;
    CSoundFileWriter &operator=(const CSoundFileWriter &) = delete;

    // format is a libsndfile format (AudioFileFormats.h). False with a reason.
    bool Open(int format, uint32_t rate, uint32_t channels, QString &errorText);
    bool Write(const float *frames, size_t frameCount, QString &errorText);
    bool Commit(QString &errorText);

    // libsndfile's virtual file, on the temporary file.
    CFileReplacement &File() { return m_file; }

private:
    bool Written(int64_t count, size_t frameCount, QString &errorText);

    CFileReplacement m_file;
    sf_private_tag *m_pFile = nullptr;
    int m_nSubtype = 0;
    uint32_t m_nChannels = 0;
    CTpdfDither m_dither;
    std::vector<int16_t> m_shorts;
    std::vector<int32_t> m_ints;
};
