#include "AudioFileFormats.h"

#include <QFileInfo>
#include <QStringList>

#include <sndfile.h>

namespace {
int MajorFormatFor(const QString &suffix)
{
    if (suffix == "wav")
        return SF_FORMAT_WAV;
    if (suffix == "flac")
        return SF_FORMAT_FLAC;
    if (suffix == "aiff" || suffix == "aif")
        return SF_FORMAT_AIFF;
    if (suffix == "ogg")
        return SF_FORMAT_OGG;
    return 0;
}

int SubtypeFor(AudioSampleBits bits)
{
    if (bits == SAMPLE_BITS_16)
        return SF_FORMAT_PCM_16;
    if (bits == SAMPLE_BITS_24)
        return SF_FORMAT_PCM_24;
    return SF_FORMAT_FLOAT;
}
} // namespace

bool ParseAudioSampleBits(const QString &text, AudioSampleBits &bits)
{
    if (text == "16")
        bits = SAMPLE_BITS_16;
    else if (text == "24")
        bits = SAMPLE_BITS_24;
    else if (text == "32f")
        bits = SAMPLE_BITS_FLOAT32;
    else
        return false;
    return true;
}

bool SoundFileFormatFor(const QString &strPath, AudioSampleBits bits, int &format, QString &errorText)
{
    const int major = MajorFormatFor(QFileInfo(strPath).suffix().toLower());
    if (major == 0) {
        errorText = QStringLiteral("the file name must end in .wav, .flac, .aiff, .aif or .ogg");
        return false;
    }
    format = major | (major == SF_FORMAT_OGG ? SF_FORMAT_VORBIS : SubtypeFor(bits));
    SF_INFO info = {};
    info.format = format;
    info.channels = 2;
    info.samplerate = 48000;
    if (sf_format_check(&info))
        return true;
    errorText = QStringLiteral("this format cannot hold 32-bit float samples; use 16 or 24 bits");
    return false;
}

QString AudioImportFilter()
{
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof(count));
    QStringList patterns;
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO info = {};
        info.format = i;
        sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof(info));
        const QString pattern = QStringLiteral("*.%1").arg(QString::fromLatin1(info.extension));
        if (!patterns.contains(pattern))
            patterns << pattern;
    }
    // Common spellings that the library's list leaves out.
    for (const char *extra : {"*.aif", "*.aifc", "*.ogg", "*.opus", "*.mp3"}) {
        if (!patterns.contains(extra))
            patterns << extra;
    }
    return QStringLiteral("Audio files (%1);;All files (*)").arg(patterns.join(' '));
}

QString AudioExportFilters()
{
    return QStringLiteral("WAV (*.wav);;FLAC (*.flac);;AIFF (*.aiff *.aif);;Ogg Vorbis (*.ogg)");
}
