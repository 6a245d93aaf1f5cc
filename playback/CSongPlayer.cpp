#include "CSongPlayer.h"

#include "CancelRequest.h"
#include "DeviceSamples.h"
#include "Messages.h"

#include <algorithm>

namespace {
// Buffered before the output starts: well within the time a person notices, yet enough to ride out
// a busy moment of the thread that reads while the read's lead is still small.
const double START_SECONDS = 0.2;
// The most that is converted ahead of the output.
const double RING_SECONDS = 2.0;
const size_t CONVERT_FRAMES = 1024;
const uint32_t RENDER_PIECE_FRAMES = 256;
const uint32_t MAX_CHANNELS = 2;
const std::chrono::seconds OUTPUT_SILENCE_LIMIT{2};

// One channel goes to every output; two go to two outputs as they are, or are mixed into one.
void MapChannels(const float *input, uint32_t frames, uint32_t inputChannels, float *output,
                 uint32_t outputChannels)
{
    for (uint32_t i = 0; i < frames; ++i) {
        const float *frame = input + i * inputChannels;
        const float mix = inputChannels == 1 ? frame[0] : 0.5f * (frame[0] + frame[1]);
        for (uint32_t c = 0; c < outputChannels; ++c)
            output[i * outputChannels + c] = inputChannels == outputChannels ? frame[c] : mix;
    }
}
} // namespace

CSongPlayer::CSongPlayer(std::unique_ptr<CSongSource> source, CAudioOutput &output)
    : m_pSource(std::move(source)), m_nChannels(m_pSource->Channels()), m_output(output)
{
}

CSongPlayer::~CSongPlayer()
{
    Stop();
}

bool CSongPlayer::Play(QString &errorText)
{
    if (m_eState != PLAY_IDLE || m_pSource->Done() || m_nChannels == 0 || m_nChannels > MAX_CHANNELS) {
        errorText = QStringLiteral("Nothing to play");
        return false;
    }
    if (!m_output.IsOpen()) {
        errorText = QStringLiteral("No audio output is open");
        return false;
    }
    const uint32_t rate = m_output.Rate();
    m_pResampler = std::make_unique<CStreamResampler>(m_pSource->SampleRate(), rate, m_nChannels);
    if (!m_pResampler->Valid(errorText))
        return false;
    m_pRing = std::make_unique<CSampleRing>(size_t(RING_SECONDS * rate) * m_nChannels);
    m_decoded.resize(CONVERT_FRAMES * m_nChannels);
    m_bytes.reserve(m_pSource->SongBytes() - m_pSource->StartByte());
    m_eState = PLAY_RUNNING;
    return true;
}

EPlayState CSongPlayer::Step()
{
    if (m_eState != PLAY_RUNNING)
        return m_eState;
    if (CancelRequested()) {
        Stop();
        return m_eState;
    }
    if (!m_pSource->Done()) {
        const int32_t result = m_pSource->ReadNext(m_bytes);
        if (result == RESULT_CANCELLED)
            return End(PLAY_STOPPED, QString());
        if (result != RESULT_OK)
            return End(PLAY_FAILED, ResultText(result));
    }
    if (!Convert())
        return End(PLAY_FAILED, QStringLiteral("The rate conversion failed"));
    if (!m_bStarted && (EnoughBuffered() || m_bInputComplete)) {
        if (!m_output.Start(&CSongPlayer::Render, this))
            return End(PLAY_FAILED, QStringLiteral("The audio output %1 did not start").arg(m_output.Name()));
        m_bStarted = true;
        m_lastBufferSeen = std::chrono::steady_clock::now();
    }
    if (m_bStarted && OutputLost())
        return End(PLAY_FAILED, QStringLiteral("The audio output %1 stopped").arg(m_output.Name()));
    if (m_bInputComplete && m_pRing->Available() == 0 && m_nTailFrames >= m_output.BufferedFrames()) {
        m_output.Abort();
        m_eState = PLAY_FINISHED;
    }
    return m_eState;
}

void CSongPlayer::Stop()
{
    if (m_eState == PLAY_RUNNING)
        End(PLAY_STOPPED, QString());
}

bool CSongPlayer::Reading() const
{
    return m_eState == PLAY_RUNNING && !m_pSource->Done();
}

double CSongPlayer::SongSeconds(uint64_t bytes) const
{
    if (m_nChannels == 0)
        return 0;
    return double(bytes / (m_nChannels * DEVICE_SAMPLE_BYTES)) / m_pSource->SampleRate();
}

double CSongPlayer::PositionSeconds() const
{
    const uint32_t rate = m_output.Rate();
    return SongSeconds(m_pSource->StartByte()) + (rate ? double(m_nPlayedFrames) / rate : 0.0);
}

double CSongPlayer::ReadSeconds() const
{
    return SongSeconds(m_pSource->StartByte() + m_bytes.size());
}

double CSongPlayer::LengthSeconds() const
{
    return SongSeconds(m_pSource->SongBytes());
}

EPlayState CSongPlayer::End(EPlayState state, const QString &text)
{
    m_output.Abort();
    m_eState = state;
    m_strFailure = text;
    return state;
}

// Fills the ring from what was read, as far as it has room.
bool CSongPlayer::Convert()
{
    for (;;) {
        PushPending();
        bool converted = false;
        if (m_nPendingSamples > 0)
            return true;
        if (!ConvertNextPiece(converted))
            return false;
        if (!converted)
            return true;
    }
}

// Converts the next whole piece of what was read, or, once the read has ended, what is left and then
// what the resampler holds back. converted is false when there was nothing to convert.
bool CSongPlayer::ConvertNextPiece(bool &converted)
{
    const size_t frameBytes = m_nChannels * DEVICE_SAMPLE_BYTES;
    const size_t frames = (m_bytes.size() - m_nDecodedBytes) / frameBytes;
    const bool readEnded = m_pSource->Done();
    bool ok = true;
    converted = true;
    m_pending.clear();
    const auto keep = [this](const float *output, size_t outputFrames) {
        m_pending.insert(m_pending.end(), output, output + outputFrames * m_nChannels);
        return true;
    };
    if (frames >= CONVERT_FRAMES || (readEnded && frames > 0)) {
        const size_t count = std::min(frames, CONVERT_FRAMES);
        DecodeDeviceSamples(m_bytes.data() + m_nDecodedBytes, count * m_nChannels, m_decoded.data());
        m_nDecodedBytes += count * frameBytes;
        ok = m_pResampler->Process(m_decoded.data(), count, keep);
    } else if (readEnded && !m_bFlushed) {
        m_bFlushed = true;
        ok = m_pResampler->Flush(keep);
    } else {
        m_bInputComplete = readEnded;
        converted = false;
    }
    m_pPending = m_pending.data();
    m_nPendingSamples = m_pending.size();
    return ok;
}

void CSongPlayer::PushPending()
{
    if (m_nPendingSamples == 0)
        return;
    const size_t room = m_pRing->Room() / m_nChannels * m_nChannels;
    const size_t count = m_pRing->Write(m_pPending, std::min(room, m_nPendingSamples));
    m_pPending += count;
    m_nPendingSamples -= count;
}

bool CSongPlayer::EnoughBuffered() const
{
    return m_pRing->Available() >= size_t(START_SECONDS * m_output.Rate()) * m_nChannels;
}

bool CSongPlayer::OutputLost()
{
    const uint64_t buffers = m_nBuffers;
    const auto now = std::chrono::steady_clock::now();
    if (buffers != m_nBuffersSeen) {
        m_nBuffersSeen = buffers;
        m_lastBufferSeen = now;
    }
    return m_output.Failed() || now - m_lastBufferSeen > OUTPUT_SILENCE_LIMIT;
}

// On the output's thread: never waits, never allocates.
void CSongPlayer::Render(float *output, uint32_t frames, uint32_t channels, void *user)
{
    auto *self = static_cast<CSongPlayer *>(user);
    const uint32_t songChannels = self->m_nChannels;
    float piece[RENDER_PIECE_FRAMES * MAX_CHANNELS];
    uint32_t done = 0;
    while (done < frames) {
        const uint32_t wanted = std::min(frames - done, RENDER_PIECE_FRAMES);
        const uint32_t got = uint32_t(self->m_pRing->Read(piece, wanted * songChannels) / songChannels);
        MapChannels(piece, got, songChannels, output + done * channels, channels);
        done += got;
        if (got < wanted)
            break;
    }
    std::fill(output + done * channels, output + frames * channels, 0.0f);
    self->m_nPlayedFrames += done;
    if (done < frames)
        (self->m_bInputComplete ? self->m_nTailFrames : self->m_nUnderrunFrames) += frames - done;
    ++self->m_nBuffers;
}
