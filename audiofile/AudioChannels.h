#pragma once

#include <QString>

#include <cstdint>

// Which of a file's channels become the song's: on a one-channel model the default is the mix, on the
// two-channel model the file's own left and right (a one-channel file in both). A named channel or
// the mix goes to every channel of the song.
enum AudioChannelChoice : int32_t {
    CHANNELS_DEFAULT = 0,
    CHANNELS_MIX = 1,
    CHANNELS_LEFT = 2,
    CHANNELS_RIGHT = 3,
};

// "left", "right" or "mix"; false for anything else.
bool ParseAudioChannelChoice(const QString &text, AudioChannelChoice &choice);

// Maps the file's channel layout to the song's. Fill writes frameCount frames of songChannels samples.
class CChannelPicker {
public:
    CChannelPicker(AudioChannelChoice choice, uint32_t fileChannels, uint32_t songChannels);
    // False when the choice names a channel the file does not have.
    bool Valid() const;
    // What Fill does to the channels, for a summary ("mixed", "left channel in both channels"); empty
    // when it keeps them as they are.
    QString Description() const;
    void Fill(const float *fileFrames, size_t frameCount, float *songFrames) const;

private:
    float Mono(const float *frame) const;

    AudioChannelChoice m_eChoice;
    uint32_t m_nFileChannels;
    uint32_t m_nSongChannels;
};
