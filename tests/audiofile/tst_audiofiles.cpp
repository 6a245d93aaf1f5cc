#include "AudioExport.h"
#include "AudioImport.h"
#include "CRecordingPresenter.h"
#include "CWave.h"
#include "ToneMeasure.h"
#include "WavBytes.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sndfile.h>

#include <cmath>
#include <sys/mount.h>

namespace {
const STone TONE{1000, 0.5};
const int WAV_FLOAT = SF_FORMAT_WAV | SF_FORMAT_FLOAT;

const FlashGeometry &Geometry(uint32_t productId)
{
    return *FindDeviceModel(productId)->geometry;
}

std::vector<uint8_t> Import(const QString &path, uint32_t productId,
                            AudioChannelChoice choice = CHANNELS_DEFAULT)
{
    std::vector<uint8_t> song;
    ConvertAudioFileForDevice(path, Geometry(productId), choice, song);
    return song;
}

// A song of 24-bit values that use every bit, in the model's layout.
std::vector<uint8_t> PatternSong(uint32_t frames, uint32_t channels)
{
    std::vector<uint8_t> song;
    for (uint32_t i = 0; i < frames * channels * 3; ++i)
        song.push_back(uint8_t(i * 2654435761u >> 13));
    return song;
}

std::vector<int32_t> ReadInts(const QString &path)
{
    SF_INFO info = {};
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    std::vector<int32_t> values(file ? size_t(info.frames) * info.channels : 0);
    if (file) {
        sf_readf_int(file, values.data(), info.frames);
        sf_close(file);
    }
    return values;
}
} // namespace

// Conversion of audio files to the looper's songs and back, through the files other programs write and
// read.
class TestAudioFiles : public QObject {
    Q_OBJECT

private slots:
    void readsWhatRecordingSoftwareWrites_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<uint32_t>("rate");
        // 0 for a lossy format: the tone's level is compared instead.
        QTest::addColumn<double>("leastSnr");
        QTest::newRow("wav 8-bit") << (SF_FORMAT_WAV | SF_FORMAT_PCM_U8) << "wav" << 44100u << 35.0;
        QTest::newRow("wav 16-bit") << (SF_FORMAT_WAV | SF_FORMAT_PCM_16) << "wav" << 44100u << 85.0;
        QTest::newRow("extensible 24-bit")
            << (SF_FORMAT_WAVEX | SF_FORMAT_PCM_24) << "wav" << 44100u << 120.0;
        QTest::newRow("wav 32-bit") << (SF_FORMAT_WAV | SF_FORMAT_PCM_32) << "wav" << 44100u << 120.0;
        QTest::newRow("wav float") << WAV_FLOAT << "wav" << 44100u << 120.0;
        QTest::newRow("wav double") << (SF_FORMAT_WAV | SF_FORMAT_DOUBLE) << "wav" << 44100u << 120.0;
        QTest::newRow("aiff 16-bit") << (SF_FORMAT_AIFF | SF_FORMAT_PCM_16) << "aiff" << 44100u << 85.0;
        QTest::newRow("aifc float") << (SF_FORMAT_AIFF | SF_FORMAT_FLOAT) << "aifc" << 44100u << 120.0;
        QTest::newRow("flac 24-bit") << (SF_FORMAT_FLAC | SF_FORMAT_PCM_24) << "flac" << 44100u << 120.0;
        QTest::newRow("ogg vorbis") << (SF_FORMAT_OGG | SF_FORMAT_VORBIS) << "ogg" << 44100u << 0.0;
        QTest::newRow("ogg opus") << (SF_FORMAT_OGG | SF_FORMAT_OPUS) << "opus" << 48000u << 0.0;
        QTest::newRow("mp3") << (SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III) << "mp3" << 44100u << 0.0;
    }
    void readsWhatRecordingSoftwareWrites()
    {
        QFETCH(int, format);
        QFETCH(QString, suffix);
        QFETCH(uint32_t, rate);
        QFETCH(double, leastSnr);
        const QString path = m_dir.filePath("tone." + suffix);
        QVERIFY(WriteToneFile(path, format, rate, {TONE}, rate));
        const std::vector<uint8_t> song = Import(path, 10003);
        QCOMPARE(song.size() % 186, size_t(0));
        const std::vector<double> stored = DeviceSamples(song);
        if (leastSnr == 0) {
            const double change =
                ToneLevelDb(stored, 46875, TONE.frequency) - 20 * std::log10(TONE.amplitude);
            QVERIFY2(std::fabs(change) < 1, qPrintable(QString::number(change)));
            return;
        }
        const double snr = SnrAgainstTone(stored, 46875, TONE);
        QVERIFY2(snr >= leastSnr, qPrintable(QString::number(snr)));
    }

    void readsChunksBetweenFormatAndData()
    {
        QByteArray samples;
        for (int k = 0; k < 46875; ++k)
            samples += LittleEndian16(
                uint16_t(int16_t(std::lrint(16384 * std::sin(2 * M_PI * 1000 * k / 46875.0)))));
        const QByteArray list = "LIST" + LittleEndian32(4) + "INFO";
        const QString path = WriteFile("chunks.wav", WavBytes(1, 46875, 16, samples, 16, list));
        const std::vector<double> stored = DeviceSamples(Import(path, 10003));
        QCOMPARE(stored.size(), size_t(46934));
        QCOMPARE(stored[1] * 32768, std::round(16384 * std::sin(2 * M_PI * 1000 / 46875.0)));
        QCOMPARE(stored.back(), 0.0);
        // A writer that could not seek back leaves a placeholder length: the file is not cut short.
        const QString streamed = WriteFile(
            "streamed.wav", WavBytes(1, 46875, 16, samples).replace(40, 4, LittleEndian32(0x7FFFF000)));
        QCOMPARE(Import(streamed, 10003).size(), size_t(3 * 46934));
    }

    void twoChannelModelKeepsLeftAndRight()
    {
        const STone right{3000, 0.25};
        const QString stereo = m_dir.filePath("stereo.flac");
        QVERIFY(WriteToneFile(stereo, SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 48000, {TONE, right}, 48000));
        const std::vector<double> frames = DeviceSamples(Import(stereo, 10004));
        QCOMPARE(frames.size() % (372 / 3), size_t(0));
        QVERIFY(SnrAgainstTone(Channel(frames, 2, 0), 46875, TONE) >= 120);
        QVERIFY(SnrAgainstTone(Channel(frames, 2, 1), 46875, right) >= 120);

        const std::vector<double> both = DeviceSamples(Import(stereo, 10004, CHANNELS_RIGHT));
        QVERIFY(Channel(both, 2, 0) == Channel(both, 2, 1));
        QVERIFY(SnrAgainstTone(Channel(both, 2, 0), 46875, right) >= 120);

        const QString mono = m_dir.filePath("mono.wav");
        QVERIFY(WriteToneFile(mono, WAV_FLOAT, 48000, {TONE}, 48000));
        const std::vector<double> doubled = DeviceSamples(Import(mono, 10004));
        QVERIFY(Channel(doubled, 2, 0) == Channel(doubled, 2, 1));
        QVERIFY(SnrAgainstTone(Channel(doubled, 2, 1), 46875, TONE) >= 120);
    }

    void oneChannelModelMixesOrTakesTheNamedChannel()
    {
        const STone inverted{TONE.frequency, -TONE.amplitude};
        const QString path = m_dir.filePath("opposite.wav");
        QVERIFY(WriteToneFile(path, WAV_FLOAT, 48000, {TONE, inverted}, 48000));
        const std::vector<double> mix = DeviceSamples(Import(path, 10003));
        QVERIFY(RmsDb(mix) < -140);
        QVERIFY(SnrAgainstTone(DeviceSamples(Import(path, 10003, CHANNELS_LEFT)), 46875, TONE) >= 120);
        QVERIFY(SnrAgainstTone(DeviceSamples(Import(path, 10003, CHANNELS_RIGHT)), 46875, inverted) >= 120);

        const QString mono = m_dir.filePath("mono.wav");
        QVERIFY(WriteToneFile(mono, WAV_FLOAT, 48000, {TONE}, 4800));
        CRecordingPresenter messages;
        QVERIFY(Import(mono, 10003, CHANNELS_RIGHT).empty());
        QCOMPARE(messages.Take(),
                 QStringList{"Audio file '" + mono + "' could not be imported: it has one channel only"});
    }

    void roundsAndClipsInsteadOfWrapping()
    {
        const QByteArray floats = Floats({1.5f, -1.5f, 0.5f, 1000.6f / 8388608, 1000.4f / 8388608, -1.0f});
        const QString path = WriteFile("loud.wav", FloatWav(floats));
        const std::vector<uint8_t> song = Import(path, 10003);
        QCOMPARE(song.size(), size_t(186));
        const std::vector<uint8_t> expected{0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80, 0x00, 0x00, 0x40,
                                            0xE9, 0x03, 0x00, 0xE8, 0x03, 0x00, 0x00, 0x00, 0x80};
        QVERIFY(std::equal(expected.begin(), expected.end(), song.begin()));
        QVERIFY(std::all_of(song.begin() + 18, song.end(), [](uint8_t b) { return b == 0; }));
    }

    void refusesWhatItCannotStore()
    {
        CRecordingPresenter messages;
        const QString text = WriteFile("notes.wav", "just some text");
        QVERIFY(Import(text, 10003).empty());
        QVERIFY2(messages.Take().value(0).startsWith("Audio file '" + text + "' could not be imported: "),
                 qPrintable(messages.texts.join('\n')));
        // Eight bits at 8000 Hz keep the file small; converted, it is longer than a Corvel slot holds.
        const QString path = m_dir.filePath("long.wav");
        QVERIFY(WriteToneFile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 8000, {TONE}, 8000 * 606));
        QVERIFY(Import(path, 10003).empty());
        QCOMPARE(messages.Take(), QStringList{"Audio file '" + path +
                                              "' could not be imported: it lasts "
                                              "10:06.000, more than the 10:05.252 a slot holds"});
    }

    void exportAtTheLooperRateKeepsTheSamples_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("bits");
        QTest::newRow("wav 24") << "same.wav" << int(SAMPLE_BITS_24);
        QTest::newRow("flac 24") << "same.flac" << int(SAMPLE_BITS_24);
        QTest::newRow("aiff float") << "same.aiff" << int(SAMPLE_BITS_FLOAT32);
    }
    void exportAtTheLooperRateKeepsTheSamples()
    {
        QFETCH(QString, name);
        QFETCH(int, bits);
        const std::vector<uint8_t> song = PatternSong(3000, 2);
        const QString path = m_dir.filePath(name);
        QVERIFY(SaveSongAsAudioFile(song.data(), uint32_t(song.size()), Geometry(10004), path,
                                    {46875, AudioSampleBits(bits)}));
        uint32_t channels = 0;
        uint32_t rate = 0;
        const std::vector<double> values = ReadSoundFile(path, channels, rate);
        QCOMPARE(values.size(), size_t(6000));
        QCOMPARE(channels, 2u);
        QCOMPARE(rate, 46875u);
        for (size_t i = 0; i < values.size(); ++i) {
            const int32_t raw = song[3 * i] | song[3 * i + 1] << 8 | song[3 * i + 2] << 16;
            QCOMPARE(values[i] * 8388608, double(raw & 0x800000 ? raw - 0x1000000 : raw));
        }
    }

    void sixteenBitExportIsDithered()
    {
        std::vector<uint8_t> silence(3 * 46875, 0);
        const QString quiet = m_dir.filePath("quiet.wav");
        QVERIFY(SaveSongAsAudioFile(silence.data(), uint32_t(silence.size()), Geometry(10003), quiet,
                                    {48000, SAMPLE_BITS_16}));
        const std::vector<int32_t> values = ReadInts(quiet);
        QVERIFY(std::all_of(values.begin(), values.end(), [](int32_t v) { return std::abs(v >> 16) <= 1; }));
        QVERIFY(std::count(values.begin(), values.end(), 0) < int(values.size()) * 3 / 4);

        const QString tone = m_dir.filePath("tone.wav");
        QVERIFY(WriteToneFile(tone, WAV_FLOAT, 48000, {TONE}, 48000));
        const std::vector<uint8_t> song = Import(tone, 10003);
        const QString dithered = m_dir.filePath("tone16.flac");
        QVERIFY(SaveSongAsAudioFile(song.data(), uint32_t(song.size()), Geometry(10003), dithered,
                                    {48000, SAMPLE_BITS_16}));
        uint32_t channels = 0;
        uint32_t rate = 0;
        const double snr = SnrAgainstTone(ReadSoundFile(dithered, channels, rate), 48000, TONE);
        QVERIFY2(snr > 85 && snr < 95, qPrintable(QString::number(snr)));
    }

    void exportNeverLeavesAPartialFile()
    {
        QTemporaryDir dir;
        const QString kept = dir.filePath("kept.flac");
        QFile file(kept);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("an earlier export");
        file.close();
        const std::vector<uint8_t> song = PatternSong(100, 1);
        CRecordingPresenter messages;
        QVERIFY(!SaveSongAsAudioFile(song.data(), uint32_t(song.size()), Geometry(10003), kept,
                                     {48000, SAMPLE_BITS_FLOAT32}));
        QVERIFY(!SaveSongAsAudioFile(song.data(), uint32_t(song.size()), Geometry(10003),
                                     dir.filePath("missing/song.wav"), {}));
        QVERIFY(!SaveSongAsAudioFile(song.data(), uint32_t(song.size()), Geometry(10003),
                                     dir.filePath("song.mp3"), {}));
        QCOMPARE(messages.texts.size(), 3);
        QCOMPARE(messages.texts[0],
                 "Audio file '" + kept +
                     "' could not be written: this format cannot hold 32-bit float samples; "
                     "use 16 or 24 bits");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.flac"});
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("an earlier export"));
    }

    // On a full disk an upload (kept.wav) and every export fail with the reason and keep the earlier file.
    void fullDiskKeepsTheEarlierFiles()
    {
        const QString full = m_dir.filePath("full");
        if (!QDir().mkpath(full) ||
            ::mount("tmpfs", QFile::encodeName(full).constData(), "tmpfs", 0, "size=32k"))
            QSKIP("a small tmpfs cannot be mounted here");
        const QStringList names{"kept.aiff", "kept.flac", "kept.ogg", "kept.wav"};
        for (const QString &name : names)
            WriteFile("full/" + name, "earlier");
        const std::vector<uint8_t> song = PatternSong(3 * 46875, 1);
        CWave wave;
        wave.SetFormat(1, 46875, 24);
        wave.SetData(new uint8_t[song.size()](), 3 * 46875);
        CRecordingPresenter messages;
        bool saved = wave.Save(full + "/kept.wav");
        for (const QString &name : names.mid(0, 3))
            saved |= SaveSongAsAudioFile(song.data(), uint32_t(song.size()), Geometry(10003),
                                         full + "/" + name, {});
        QString left;
        for (const QString &name : QDir(full).entryList(QDir::Files | QDir::Hidden)) {
            QFile file(full + "/" + name);
            left += name + "=" + (file.open(QIODevice::ReadOnly) ? file.readAll() : "?") + " ";
        }
        ::umount(QFile::encodeName(full).constData());
        QVERIFY(!saved);
        QCOMPARE(left, QString("kept.aiff=earlier kept.flac=earlier kept.ogg=earlier kept.wav=earlier "));
        QCOMPARE(messages.texts.first(), QString("Write file failed"));
        QCOMPARE(messages.texts.last(),
                 "Audio file '" + full + "/kept.ogg' could not be written: No space left on device");
    }

private:
    QString WriteFile(const QString &name, const QByteArray &bytes)
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return file.fileName();
    }
    static QByteArray Floats(const std::vector<float> &values)
    {
        return QByteArray(reinterpret_cast<const char *>(values.data()), int(values.size() * sizeof(float)));
    }
    // A one-channel 32-bit float WAV file at the looper's rate, so that nothing is resampled.
    static QByteArray FloatWav(const QByteArray &samples)
    {
        const QByteArray fmt = LittleEndian16(3) + LittleEndian16(1) + LittleEndian32(46875) +
                               LittleEndian32(46875 * 4) + LittleEndian16(4) + LittleEndian16(32);
        return "RIFF" + LittleEndian32(uint32_t(4 + 8 + fmt.size() + 8 + samples.size())) + "WAVE" + "fmt " +
               LittleEndian32(uint32_t(fmt.size())) + fmt + "data" +
               LittleEndian32(uint32_t(samples.size())) + samples;
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestAudioFiles)
#include "tst_audiofiles.moc"
