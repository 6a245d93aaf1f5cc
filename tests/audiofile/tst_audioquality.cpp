#include "AudioExport.h"
#include "AudioImport.h"
#include "CRecordingPresenter.h"
#include "CStoreRig.h"
#include "ToneMeasure.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sndfile.h>

#include <cmath>

namespace {
const uint32_t SOLO = 10003;
const double MINUS_6_DBFS = 0.5011872336272722;
const int WAV_24 = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
} // namespace

// Deterministic quality figures of the high-quality path: a tone file imported into the simulated
// looper's flash and read back, and the song exported again.
class TestAudioQuality : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { CStoreRig::InstallSimulator(); }

    void importKeepsATenKilohertzTone()
    {
        const STone tone{10000, MINUS_6_DBFS};
        const std::vector<double> stored = ImportTone(tone);
        const double snr = SnrAgainstTone(stored, 46875, tone);
        qInfo("import, 10 kHz at -6 dBFS, 48000 -> 46875 Hz: SNR %.1f dB", snr);
        QVERIFY2(snr >= 120, qPrintable(QString::number(snr)));
    }

    void importKeepsTheLevelOfATwentyKilohertzTone()
    {
        const std::vector<double> stored = ImportTone({20000, MINUS_6_DBFS});
        const double change = ToneLevelDb(stored, 46875, 20000) - 20 * std::log10(MINUS_6_DBFS);
        qInfo("import, 20 kHz: level change %.4f dB", change);
        QVERIFY2(std::fabs(change) <= 0.1, qPrintable(QString::number(change)));
    }

    void importRemovesAToneAboveTheNewNyquist()
    {
        const std::vector<double> stored = ImportTone({23800, MINUS_6_DBFS});
        const double attenuation = RmsDb(stored) - 20 * std::log10(MINUS_6_DBFS / std::sqrt(2.0));
        qInfo("import, 23.8 kHz: %.1f dB down", -attenuation);
        QVERIFY2(attenuation <= -100, qPrintable(QString::number(attenuation)));
    }

    void importThenExportKeepsATenKilohertzTone()
    {
        const STone tone{10000, MINUS_6_DBFS};
        ImportTone(tone);
        const QString output = m_dir.filePath("back.wav");
        QVERIFY(SaveSongAsAudioFile(m_song.data(), uint32_t(m_song.size()), m_pRig->Geometry(), output,
                                    SAudioExportFormat()));
        uint32_t channels = 0;
        uint32_t rate = 0;
        const std::vector<double> back = ReadSoundFile(output, channels, rate);
        QCOMPARE(channels, 1u);
        QCOMPARE(rate, 48000u);
        QVERIFY(back.size() >= 48000);
        const double snr = SnrAgainstTone(back, 48000, tone);
        qInfo("import then export at 48000 Hz, 10 kHz: SNR %.1f dB", snr);
        QVERIFY2(snr >= 110, qPrintable(QString::number(snr)));
    }

    void cleanup()
    {
        m_pRig.reset();
        m_song.clear();
    }

private:
    // Writes a second of the tone as a 48000 Hz 24-bit file, imports it into the first slot of a
    // simulated Corvel Solo and returns the samples the flash gives back.
    std::vector<double> ImportTone(const STone &tone)
    {
        const QString input = m_dir.filePath("tone.wav");
        if (!WriteToneFile(input, WAV_24, 48000, {tone}, 48000))
            qFatal("the tone file could not be written");
        m_pRig.reset(new CStoreRig(SOLO));
        CLooperSongTable &table = m_pRig->Table();
        if (table.LoadSongs() != RESULT_OK ||
            !ConvertAudioFileForDevice(input, m_pRig->Geometry(), CHANNELS_DEFAULT, m_song) ||
            table.WriteSong(0, m_song.data(), uint32_t(m_song.size()), nullptr) != RESULT_OK ||
            table.LoadSongs() != RESULT_OK)
            return {};
        std::vector<uint8_t> flash(table.Store(0)->GetSize());
        if (table.ReadSong(0, flash.data(), uint32_t(flash.size()), nullptr) != RESULT_OK)
            return {};
        return DeviceSamples(flash);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<CStoreRig> m_pRig;
    std::vector<uint8_t> m_song;
};

QTEST_GUILESS_MAIN(TestAudioQuality)
#include "tst_audioquality.moc"
