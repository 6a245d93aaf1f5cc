#include "CRecordingPresenter.h"
#include "CWave.h"
#include "HexBytes.h"
#include "WavBytes.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

namespace {

QList<int> Values24(const CWave &wave)
{
    QList<int> values;
    for (uint32_t i = 0; i < wave.buffer.frameCount; ++i) {
        const uint8_t *b = wave.buffer.data + 3 * i;
        int value = b[0] | b[1] << 8 | b[2] << 16;
        values.append(value & 0x800000 ? value - (1 << 24) : value);
    }
    return values;
}

// A clip of 24-bit mono values at a rate, with a format that differs from the target in extraSize.
void Fill24(CWave &wave, uint32_t rate, const QList<int> &values)
{
    wave.SetFormat(1, rate, 24);
    wave.format.extraSize = 0;
    const QByteArray bytes = Samples24(values);
    uint8_t *array = new uint8_t[size_t(bytes.size())];
    std::memcpy(array, bytes.constData(), size_t(bytes.size()));
    wave.SetData(array, uint32_t(values.size()));
}

} // namespace

class TestWave : public QObject {
    Q_OBJECT

private slots:
    void loadsFmtChunksOfEverySize_data()
    {
        QTest::addColumn<int>("fmtSize");
        QTest::addColumn<int>("extraSize");
        // A 16-byte chunk has no extraSize: the "da" of the data chunk that follows it is not one.
        QTest::newRow("16 bytes") << 16 << 0;
        QTest::newRow("18 bytes") << 18 << 0x1234;
        QTest::newRow("40 bytes, 22 skipped") << 40 << 22;
    }
    void loadsFmtChunksOfEverySize()
    {
        QFETCH(int, fmtSize);
        QFETCH(int, extraSize);
        const int EXTRA_SIZE_AT = 36;
        QByteArray file = WavBytes(2, 44100, 16, QByteArray(4 * 10 + 3, 'x'), fmtSize);
        if (fmtSize >= 18)
            file.replace(EXTRA_SIZE_AT, 2, LittleEndian16(uint16_t(extraSize)));
        CWave wave;
        QVERIFY(Load(wave, file));
        QCOMPARE(wave.format.channels, uint16_t(2));
        QCOMPARE(wave.format.samplesPerSec, 44100u);
        QCOMPARE(wave.format.blockAlign, uint16_t(4));
        QCOMPARE(wave.format.extraSize, uint16_t(extraSize));
        // Only whole frames: the three bytes of a partial frame are left out.
        QCOMPARE(wave.buffer.frameCount, 10u);
    }

    void refusedFilesLeaveTheClipAlone_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QByteArray good = WavBytes(1, 8000, 16, QByteArray(20, 'a'));
        QTest::newRow("not RIFF") << QByteArray("RIFX") + good.mid(4) << "Wave file '%1' RIFF not found";
        QTest::newRow("no WAVE") << good.left(8) + "WAVXfmt " + good.mid(16)
                                 << "Wave file '%1' WAVEfmt not found";
        QTest::newRow("LIST before data")
            << WavBytes(1, 8000, 16, QByteArray(20, 'a'), 16, "LIST" + LittleEndian32(4) + "INFO")
            << "Wave file '%1' data segment not found";
        QByteArray zeroAlign = good;
        zeroAlign[32] = 0;
        QTest::newRow("block align 0") << zeroAlign << "Wave file '%1' format not supported";
        QTest::newRow("data cut short") << good.left(good.size() - 5) << "Wave file '%1' data incomplete";
        QTest::newRow("empty file") << QByteArray() << "Wave file '%1' RIFF not found";
    }
    void refusedFilesLeaveTheClipAlone()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        CWave wave;
        QVERIFY(Load(wave, WavBytes(1, 46875, 24, Samples24({1, 2, 3}))));
        CRecordingPresenter presenter;
        QVERIFY(!Load(wave, bytes, "bad é.wav"));
        QCOMPARE(presenter.texts, QStringList{message.arg(m_strLastPath)});
        QCOMPARE(wave.format.samplesPerSec, 46875u);
        QCOMPARE(Values24(wave), (QList<int>{1, 2, 3}));
    }

    void savesTheHeaderByteForByte()
    {
        CWave wave;
        wave.SetFormat(1, 48000, 24);
        const QString path = m_dir.filePath("empty.wav");
        QVERIFY(wave.Save(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.size(), 46);
        QCOMPARE(HexBytes(bytes.mid(4, 4)), QString("26 00 00 00"));
        QCOMPARE(HexBytes(bytes.mid(20, 18)),
                 QString("01 00 01 00 80 BB 00 00 80 32 02 00 03 00 18 00 12 00"));
        QCOMPARE(bytes.mid(36, 10), QByteArray("\x12\x00"
                                               "data\x00\x00\x00\x00",
                                               10));
    }

    void saveReportsAFullDisk()
    {
        CWave wave;
        Fill24(wave, 48000, {1, 2, 3});
        CRecordingPresenter presenter;
        // A device is never replaced by the new file: the full disk is tested on a small tmpfs.
        QVERIFY(!wave.Save("/dev/full"));
        QVERIFY(!wave.Save(m_dir.filePath("no/such/dir.wav")));
        QCOMPARE(presenter.texts, QStringList({"Open file failed", "Open file failed"}));
    }

    // A header that claims 4 GB, held by the file as a hole: refused before anything is allocated.
    void loadRefusesAClipLongerThanTheLimit()
    {
        QFile file(m_dir.filePath("huge.wav"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(WavBytes(2, 44100, 16, QByteArray()).replace(40, 4, LittleEndian32(0xFFFFFFF0)));
        QVERIFY(file.resize(qint64(1) << 32));
        file.close();
        SFileFailure failure;
        QVERIFY(!CWave().Load(file.fileName(), {28371200, 46875}, failure));
        QCOMPARE(failure.Detail(), "File too large! ('" + file.fileName() +
                                       "': it lasts 405:47.887, more than the 10:05.252 a slot holds)");
    }

    void savedFileOpensInAThirdPartyReader()
    {
        const QString soxi = QStandardPaths::findExecutable("soxi");
        if (soxi.isEmpty())
            QSKIP("soxi (package sox) is not installed");
        CWave wave;
        Fill24(wave, 46875, QVector<int>(1000, 5).toList());
        wave.Convert(TARGET_RATE_UPLOAD);
        const QString path = m_dir.filePath("upload.wav");
        QVERIFY(wave.Save(path));
        QProcess process;
        process.start(soxi, {path});
        QVERIFY(process.waitForFinished(20000));
        const QString info = QString::fromUtf8(process.readAllStandardOutput());
        QVERIFY2(info.contains("Channels       : 1"), qPrintable(info));
        QVERIFY(info.contains("Sample Rate    : 48000"));
        QVERIFY(info.contains("Precision      : 24-bit"));
        QVERIFY(info.contains("= 1024 samples"));
    }

    void convertsTheWorkedValues_data()
    {
        QTest::addColumn<uint32_t>("source");
        QTest::addColumn<uint32_t>("target");
        QTest::addColumn<QList<int>>("input");
        QTest::addColumn<QList<int>>("output");
        QTest::newRow("equal rates") << 46875u << 46875u << QList<int>{256, -256, 512, -512}
                                     << QList<int>{256, 256, -256};
        QTest::newRow("up") << 46875u << 48000u << QList<int>{1000, 2000, 3000, 4000}
                            << QList<int>{1000, 1000, 1953, 2929};
        QTest::newRow("down") << 48000u << 46875u << QList<int>{1000, 2000, 3000, 4000, 5000, 6000}
                              << QList<int>{1000, 1024, 2048, 3072, 4096, 6000};
        QTest::newRow("one frame up") << 46875u << 48000u << QList<int>{-7} << QList<int>{-7, -7};
    }
    void convertsTheWorkedValues()
    {
        QFETCH(uint32_t, source);
        QFETCH(uint32_t, target);
        QFETCH(QList<int>, input);
        QFETCH(QList<int>, output);
        CWave wave;
        Fill24(wave, source, input);
        wave.Convert(target);
        QCOMPARE(Values24(wave), output);
        QVERIFY(wave.HasFormat(TargetFormat(target)));
    }

    void convertsFileLayouts()
    {
        // 16-bit stereo: left channel kept, scaled to 24 bits; 0x8000 becomes -8388608.
        QByteArray stereo;
        for (int i = 0; i < 1000; ++i)
            stereo += LittleEndian16(i == 0 ? 0x8000 : uint16_t(i)) + LittleEndian16(0x7FFF);
        CWave wave;
        QVERIFY(Load(wave, WavBytes(2, 44100, 16, stereo)));
        wave.Convert(TARGET_RATE_DOWNLOAD);
        QCOMPARE(wave.buffer.frameCount, 1063u);
        QCOMPARE(HexBytes(wave.buffer.data, 3), QString("00 00 80"));
        QCOMPARE(Values24(wave).last(), 999 * 256);

        Fill24(wave, 46875, QVector<int>(1000, 1).toList());
        wave.Convert(TARGET_RATE_UPLOAD);
        QCOMPARE(wave.buffer.frameCount, 1024u);
    }

    void unhandledClipsStayAsTheyAre_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("8-bit") << WavBytes(1, 44100, 8, QByteArray(10, 'a'));
        QTest::newRow("24-bit plus a byte") << WavBytes(1, 44100, 40, QByteArray(10, 'a'));
        QByteArray zeroRate = WavBytes(1, 44100, 16, QByteArray(10, 'a'));
        zeroRate.replace(24, 4, LittleEndian32(0));
        QTest::newRow("rate 0") << zeroRate;
        QByteArray zeroByteRate = WavBytes(1, 44100, 16, QByteArray(10, 'a'));
        zeroByteRate.replace(28, 4, LittleEndian32(0));
        QTest::newRow("byte rate 0") << zeroByteRate;
    }
    void unhandledClipsStayAsTheyAre()
    {
        QFETCH(QByteArray, file);
        CWave wave;
        QVERIFY(Load(wave, file));
        const WaveFormat before = wave.format;
        const uint32_t frames = wave.buffer.frameCount;
        wave.Convert(TARGET_RATE_DOWNLOAD);
        QVERIFY(wave.HasFormat(before));
        QCOMPARE(wave.buffer.frameCount, frames);
        QVERIFY(!wave.HasFormat(TargetFormat(TARGET_RATE_DOWNLOAD)));
    }

private:
    bool Load(CWave &wave, const QByteArray &bytes, const QString &name = "clip.wav")
    {
        m_strLastPath = m_dir.filePath(name);
        QFile file(m_strLastPath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            return false;
        file.close();
        return wave.Load(m_strLastPath);
    }

    QTemporaryDir m_dir;
    QString m_strLastPath;
};

QTEST_GUILESS_MAIN(TestWave)
#include "tst_wave.moc"
