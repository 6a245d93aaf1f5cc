#pragma once

#include <QString>

// The sample kinds a song can be exported in.
enum AudioSampleBits : int {
    SAMPLE_BITS_16 = 0,
    SAMPLE_BITS_24 = 1,
    SAMPLE_BITS_FLOAT32 = 2,
};

// "16", "24" or "32f"; false for anything else.
bool ParseAudioSampleBits(const QString &text, AudioSampleBits &bits);
// The libsndfile format that a file name's extension (.wav, .flac, .aiff/.aif, .ogg) names for the sample
// kind; false with a reason for another extension or a pair the format cannot hold. Ogg Vorbis has no
// sample width and takes any.
bool SoundFileFormatFor(const QString &strPath, AudioSampleBits bits, int &format, QString &errorText);
// File dialog filters: every file libsndfile reads, and the formats an export writes.
QString AudioImportFilter();
QString AudioExportFilters();
