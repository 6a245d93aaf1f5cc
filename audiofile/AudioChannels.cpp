#include "AudioChannels.h"

bool ParseAudioChannelChoice(const QString &text, AudioChannelChoice &choice)
{
    if (text == "left")
        choice = CHANNELS_LEFT;
    else if (text == "right")
        choice = CHANNELS_RIGHT;
    else if (text == "mix")
        choice = CHANNELS_MIX;
    else
        return false;
    return true;
}

CChannelPicker::CChannelPicker(AudioChannelChoice choice, uint32_t fileChannels, uint32_t songChannels)
    : m_eChoice(choice), m_nFileChannels(fileChannels), m_nSongChannels(songChannels)
{
    if (m_eChoice == CHANNELS_DEFAULT && (songChannels == 1 || fileChannels == 1))
        m_eChoice = CHANNELS_MIX;
}

bool CChannelPicker::Valid() const
{
    if (m_nFileChannels == 0 || m_nSongChannels == 0)
        return false;
    return m_eChoice != CHANNELS_RIGHT || m_nFileChannels >= 2;
}

QString CChannelPicker::Description() const
{
    QString taken;
    if (m_nFileChannels > 1 && m_eChoice == CHANNELS_MIX)
        taken = QStringLiteral("mixed");
    else if (m_nFileChannels > 1 && m_eChoice == CHANNELS_LEFT)
        taken = QStringLiteral("left channel");
    else if (m_nFileChannels > 1 && m_eChoice == CHANNELS_RIGHT)
        taken = QStringLiteral("right channel");
    else if (m_nFileChannels > 2)
        taken = QStringLiteral("first two channels");
    if (m_nSongChannels < 2 || m_eChoice == CHANNELS_DEFAULT)
        return taken;
    return taken.isEmpty() ? QStringLiteral("in both channels") : taken + QStringLiteral(" in both channels");
}

// The mix is the mean, so that channels at full scale cannot clip.
float CChannelPicker::Mono(const float *frame) const
{
    if (m_eChoice == CHANNELS_LEFT)
        return frame[0];
    if (m_eChoice == CHANNELS_RIGHT)
        return frame[1];
    double sum = 0;
    for (uint32_t c = 0; c < m_nFileChannels; ++c)
        sum += frame[c];
    return float(sum / m_nFileChannels);
}

void CChannelPicker::Fill(const float *fileFrames, size_t frameCount, float *songFrames) const
{
    for (size_t k = 0; k < frameCount; ++k) {
        const float *frame = fileFrames + k * m_nFileChannels;
        float *song = songFrames + k * m_nSongChannels;
        if (m_eChoice == CHANNELS_DEFAULT) {
            // A two-channel song from a file of two or more channels: its left and right.
            song[0] = frame[0];
            song[1] = frame[1];
            continue;
        }
        const float value = Mono(frame);
        for (uint32_t c = 0; c < m_nSongChannels; ++c)
            song[c] = value;
    }
}
