#include "CFirmwarePackage.h"
#include "CPackageBuilder.h"
#include "CRecordingPresenter.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray LAYOUT = CPackageBuilder::LayoutText(2, 0x10000, 16, 4096);

CPackageBuilder TwoItems()
{
    return CPackageBuilder("10003")
        .AddItem(LAYOUT, CPackageBuilder::PatternImage(10000, 1))
        .AddItem("", CPackageBuilder::PatternImage(300, 2));
}

} // namespace

class TestFirmwarePackage : public QObject {
    Q_OBJECT

private:
    QString Write(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath("package.dat");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    QTemporaryDir m_dir;

private slots:
    void emptyPackageOpens()
    {
        CFirmwarePackage package;
        QVERIFY(package.Open(Write(CPackageBuilder("10002").Build())));
        QCOMPARE(package.ItemCount(), 0u);
        QCOMPARE(package.DeviceId(), 10002u);
        uint32_t length = 0;
        QVERIFY(!package.LayoutText(0, length));
        QVERIFY(!package.DecodePayload(0, length));
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        const int fileSize = TwoItems().Build().size();
        using B = CPackageBuilder;
        QTest::newRow("token") << TwoItems().SetToken("Data Numbar").Build() << "File Token Error";
        QTest::newRow("count byte changed")
            << TwoItems().CorruptHeaderByte(123).Build() << "File header checksum Error";
        QTest::newRow("product text changed")
            << TwoItems().CorruptHeaderByte(33).Build() << "File header checksum Error";
        QTest::newRow("second data header")
            << TwoItems().CorruptDataHeaderByte(1, 70).Build() << "Data2 header checksum Error";
        QTest::newRow("first data header, uninterpreted byte")
            << TwoItems().CorruptDataHeaderByte(0, 3).Build() << "Data1 header checksum Error";
        QTest::newRow("count 100") << B().SetCountByte(100).Build()
                                   << "Data Number 100 is too large, at most 99 items are allowed";
        QTest::newRow("empty file") << QByteArray() << "File Token Error";
        QTest::newRow("shorter than header")
            << TwoItems().TruncateTo(124).Build() << "File header incomplete";
        QTest::newRow("data header cut") << TwoItems().TruncateTo(300).Build() << "Data2 header incomplete";
        QTest::newRow("layout offset wraps")
            << TwoItems().SetDataField(0, B::LAYOUT_OFFSET_FIELD, 0xFFFFFFF0u).Build()
            << "Data1 layout text lies beyond the end of the file";
        QTest::newRow("layout length huge")
            << TwoItems().SetDataField(0, B::LAYOUT_LENGTH_FIELD, 0x7FFFFFFF).Build()
            << "Data1 layout text is too large";
        QTest::newRow("packed past end")
            << TwoItems().SetDataField(1, B::PACKED_LENGTH_FIELD, uint32_t(fileSize)).Build()
            << "Data2 image lies beyond the end of the file";
        QTest::newRow("unpacked length huge")
            << TwoItems().SetDataField(0, B::UNPACKED_LENGTH_FIELD, 0xFFFFFFFF).Build()
            << "Data1 image is too large";
        QTest::newRow("file cut in last image")
            << TwoItems().TruncateTo(fileSize - 1).Build() << "Data2 image lies beyond the end of the file";
    }

    void refused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        CFirmwarePackage package;
        QVERIFY(package.Open(Write(TwoItems().Build())));
        QVERIFY(!package.Open(Write(bytes)));
        QCOMPARE(package.ErrorText(), error);
        // Nothing of a refused package may be handed out, whatever the previous one held.
        uint32_t length = 0;
        QCOMPARE(package.ItemCount(), 0u);
        QVERIFY(!package.LayoutText(0, length));
    }

    void missingFileRefused()
    {
        CFirmwarePackage package;
        QVERIFY(!package.Open(m_dir.filePath("absent.dat")));
        QCOMPARE(package.ErrorText(), QString("Open file failed"));
    }

    void itemsDecodeToTheirBytes()
    {
        CFirmwarePackage package;
        QVERIFY(package.Open(Write(TwoItems().Build())));
        QCOMPARE(package.ItemCount(), 2u);
        uint32_t length = 0;
        const uint8_t *text = package.LayoutText(0, length);
        QVERIFY(text);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(text), int(length)), LAYOUT);
        const uint8_t *image = package.DecodePayload(0, length);
        QVERIFY(image);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(image), int(length)),
                 CPackageBuilder::PatternImage(10000, 1));
        QVERIFY(package.LayoutText(1, length));
        QCOMPARE(length, 0u);
        image = package.DecodePayload(1, length);
        QVERIFY(image);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(image), int(length)),
                 CPackageBuilder::PatternImage(300, 2));
    }

    void decodeLimits_data()
    {
        QTest::addColumn<int>("delta");
        QTest::addColumn<bool>("scrambled");
        QTest::addColumn<bool>("decodes");
        QTest::newRow("exact") << 0 << true << true;
        QTest::newRow("100 short still fits") << -100 << true << true;
        QTest::newRow("101 short") << -101 << true << false;
        QTest::newRow("not scrambled") << 0 << false << false;
    }

    void decodeLimits()
    {
        QFETCH(int, delta);
        QFETCH(bool, scrambled);
        QFETCH(bool, decodes);
        const QByteArray image = CPackageBuilder::PatternImage(5000, 3);
        CFirmwarePackage package;
        QVERIFY(package.Open(Write(CPackageBuilder()
                                       .AddItem(LAYOUT, image)
                                       .SetUnpackedLengthDelta(0, delta)
                                       .SetScrambled(scrambled)
                                       .Build())));
        uint32_t length = 0;
        const uint8_t *decoded = package.DecodePayload(0, length);
        QCOMPARE(decoded != nullptr, decodes);
        if (decodes)
            QCOMPARE(QByteArray(reinterpret_cast<const char *>(decoded), int(length)), image);
        else
            QCOMPARE(package.ErrorText(), QString("decode bin file failed"));
    }

    void productId_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<uint>("id");
        QTest::newRow("decimal") << QByteArray("10004") << 10004u;
        QTest::newRow("not a number") << QByteArray("Looper X") << 0u;
        QTest::newRow("hex is not decimal") << QByteArray("0x2713") << 0u;
        QTest::newRow("fills the field") << QByteArray(79, '0') + "7" << 7u;
    }

    void productId()
    {
        QFETCH(QByteArray, text);
        QFETCH(uint, id);
        CFirmwarePackage package;
        QVERIFY(package.Open(Write(CPackageBuilder(text).Build())));
        QCOMPARE(package.DeviceId(), id);
    }

    void vanishedFileReportedWhileReading()
    {
        CRecordingPresenter presenter;
        CFirmwarePackage package;
        const QString path = Write(TwoItems().Build());
        QVERIFY(package.Open(path));
        QVERIFY(QFile::remove(path));
        uint32_t length = 0;
        QVERIFY(!package.LayoutText(0, length));
        QVERIFY(!package.DecodePayload(0, length));
        QCOMPARE(presenter.Take(), QStringList({"Open file failed", "Open file failed"}));
    }
};

QTEST_GUILESS_MAIN(TestFirmwarePackage)
#include "tst_firmwarepackage.moc"
