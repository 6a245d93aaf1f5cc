#pragma once

#include "CAudioOutput.h"
#include "CSampleRing.h"
#include "CSongSource.h"
#include "CStreamResampler.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

enum EPlayState : int {
    PLAY_IDLE,
    PLAY_RUNNING,
    PLAY_FINISHED,
    PLAY_STOPPED,
    PLAY_FAILED,
};

// Plays one song while it is read. The thread that owns the source (the one that talks to the
// looper) drives everything in small steps: each Step reads at most one piece, converts it to the
// output's rate (libsoxr, high-quality recipe) and hands it to the audio output's thread through a
// lock-free ring. The output starts as soon as a little is buffered. One player plays once, on an
// output opened beforehand that outlives it.
class CSongPlayer {
public:
    CSongPlayer(std::unique_ptr<CSongSource> source, CAudioOutput &output);
    ~CSongPlayer();
    CSongPlayer(const CSongPlayer &) = delete;
    CSongPlayer &operator=(const CSongPlayer &) = delete;

    // Gets ready to play; nothing is read yet. False, with the one line to show, when the output is
    // not open or there is nothing to play.
    bool Play(QString &errorText);
    // Reads the next piece while the read goes on, keeps the output supplied, starts it once enough
    // is buffered and closes it once everything was heard. A pending cancel request (CancelRequest.h)
    // stops as Stop does. PLAY_RUNNING until playback ended.
    EPlayState Step();
    // The output stops at once; nothing more is read.
    void Stop();

    EPlayState State() const { return m_eState; }
    // Whether Step still reads; once it does not, a caller may wait a little between steps.
    bool Reading() const;
    // What failed, for PLAY_FAILED.
    QString FailureText() const { return m_strFailure; }
    QString OutputName() const { return m_output.Name(); }

    // Where playback is in the song, in seconds; may be asked on any thread.
    double PositionSeconds() const;
    // How far into the song the read got, and the song's whole length.
    double ReadSeconds() const;
    double LengthSeconds() const;
    // Frames of silence the output played because the read had not kept ahead.
    uint64_t UnderrunFrames() const { return m_nUnderrunFrames; }
    // The bytes read so far, from the source's start byte: the whole song once the read from its
    // start has ended.
    const std::vector<uint8_t> &ReadBytes() const { return m_bytes; }

private:
    static void Render(float *output, uint32_t frames, uint32_t channels, void *user);
    bool Convert();
    bool ConvertNextPiece(bool &converted);
    void PushPending();
    bool EnoughBuffered() const;
    bool OutputLost();
    EPlayState End(EPlayState state, const QString &text);
    double SongSeconds(uint64_t bytes) const;

    std::unique_ptr<CSongSource> m_pSource;
    const uint32_t m_nChannels;
    CAudioOutput &m_output;
    std::unique_ptr<CStreamResampler> m_pResampler;
    std::unique_ptr<CSampleRing> m_pRing;
    std::vector<uint8_t> m_bytes;
    std::vector<float> m_decoded;
    size_t m_nDecodedBytes = 0;
    // What the last conversion gave and the ring had no room for yet.
    std::vector<float> m_pending;
    const float *m_pPending = nullptr;
    size_t m_nPendingSamples = 0;
    bool m_bFlushed = false;
    bool m_bStarted = false;
    EPlayState m_eState = PLAY_IDLE;
    QString m_strFailure;
    // A running output that asks for no buffer for a while has gone away.
    uint64_t m_nBuffersSeen = 0;
    std::chrono::steady_clock::time_point m_lastBufferSeen;

    // Shared with the output's thread.
    std::atomic<bool> m_bInputComplete{false};
    std::atomic<uint64_t> m_nPlayedFrames{0};
    std::atomic<uint64_t> m_nUnderrunFrames{0};
    // Frames of silence the output played after the last of the song.
    std::atomic<uint64_t> m_nTailFrames{0};
    std::atomic<uint64_t> m_nBuffers{0};
};
