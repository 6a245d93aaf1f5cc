#include "CFlashLayout.h"
#include "LayoutFile.h"
#include "Settings.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray Group(int number, const QByteArray &type, const QByteArray &start, const QByteArray &end,
                 const QByteArray &size)
{
    return "[FLASH " + QByteArray::number(number) + "]\nTYPE=" + type + "\nStart Address=" + start +
           "\nEnd Address=" + end + "\nSector Size=" + size + "\n";
}

using Sectors = QVector<QVector<uint>>;

Sectors SectorsOf(const CFlashLayout &layout)
{
    Sectors sectors;
    for (const SFlashSector &sector : layout.Sectors())
        sectors.append({sector.area, sector.address, sector.size});
    return sectors;
}

} // namespace

class TestFlashLayout : public QObject {
    Q_OBJECT

private:
    QString Write(const QByteArray &text)
    {
        const QString path = m_dir.filePath("Config.ini");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    QTemporaryDir m_dir;

private slots:
    void accepted_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<Sectors>("sectors");
        QTest::addColumn<uint>("total");
        QTest::newRow("no FLASH 1") << Group(2, "0", "0x1000", "0x2000", "4096") << Sectors() << 0u;
        QTest::newRow("FLASH 3 without FLASH 2")
            << Group(1, "2", "0x10000", "0x12000", "4096") + Group(3, "2", "0x12000", "0x14000", "4096")
            << Sectors{{2, 0x10000, 4096}, {2, 0x11000, 4096}} << 0x2000u;
        QTest::newRow("contiguous groups")
            << Group(1, "1", "0x10000", "0x20000", "32768") + Group(2, "1", "0x20000", "0x30000", "65536")
            << Sectors{{1, 0x10000, 0x8000}, {1, 0x18000, 0x8000}, {1, 0x20000, 0x10000}} << 0x20000u;
        QTest::newRow("size not dividing the range")
            << Group(1, "0", "0x10000", "0x12800", "4096")
            << Sectors{{0, 0x10000, 4096}, {0, 0x11000, 4096}, {0, 0x12000, 4096}} << 0x2800u;
        QTest::newRow("ends at the top of the address space")
            << Group(1, "0", "0xFFFFE000", "0xFFFFFFFF", "4096")
            << Sectors{{0, 0xFFFFE000, 4096}, {0, 0xFFFFF000, 4096}} << 0x1FFFu;
        QTest::newRow("empty group between two")
            << Group(1, "1", "0x10000", "0x18000", "32768") + Group(2, "1", "0x18000", "0x18000", "32768") +
                   Group(3, "1", "0x18000", "0x20000", "32768")
            << Sectors{{1, 0x10000, 0x8000}, {1, 0x18000, 0x8000}} << 0x10000u;
        QTest::newRow("empty group at 0, then any start")
            << Group(1, "1", "0", "0", "4096") + Group(2, "1", "0x30000", "0x32000", "4096")
            << Sectors{{1, 0x30000, 4096}, {1, 0x31000, 4096}} << 0x2000u;
    }

    void accepted()
    {
        QFETCH(QByteArray, text);
        QFETCH(Sectors, sectors);
        QFETCH(uint, total);
        CFlashLayout layout;
        QVERIFY2(layout.Load(Write(text)), qPrintable(layout.ErrorText()));
        QCOMPARE(SectorsOf(layout), sectors);
        QCOMPARE(layout.totalSize(), total);
    }

    void startAddressForms_data()
    {
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("upper-case prefix") << QByteArray("0X10000");
        QTest::newRow("decimal") << QByteArray("65536");
        QTest::newRow("comment") << QByteArray("0x10000 ; c");
        QTest::newRow("padded") << QByteArray("  0x00010000");
    }

    void startAddressForms()
    {
        QFETCH(QByteArray, start);
        CFlashLayout layout;
        QVERIFY(layout.Load(Write(Group(1, "0", start, "0x12000", "4096"))));
        QCOMPARE(SectorsOf(layout), (Sectors{{0, 0x10000, 4096}, {0, 0x11000, 4096}}));
        QCOMPARE(CFlashLayout::ParseNumber(QString::fromLatin1(start)), 0x10000u);
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error");
        const QByteArray first = Group(1, "0", "0x10000", "0x20000", "4096");
        QTest::newRow("two types") << first + Group(2, "1", "0x20000", "0x30000", "4096")
                                   << "All FLASH should be same type!";
        QTest::newRow("gap") << first + Group(2, "0", "0x21000", "0x30000", "4096")
                             << "FLASH 2 address not follow the last flash";
        QTest::newRow("no start") << QByteArray("[FLASH 1]\nTYPE=0\nEnd Address=0x2000\nSector Size=4096\n")
                                  << "FLASH start address is empty";
        QTest::newRow("empty end") << Group(1, "0", "0x1000", "", "4096") << "FLASH end address is empty";
        QTest::newRow("sector size 0")
            << Group(1, "0", "0x1000", "0x2000", "0") << "FLASH 1 sector size is 0";
        QTest::newRow("sector size not a number")
            << first + Group(2, "0", "0x20000", "0x30000", "big") << "FLASH 2 sector size is 0";
        QTest::newRow("wraps past 2^32") << Group(1, "0", "0xFFFFF000", "0xFFFFFFFF", "8192")
                                         << "FLASH 1 sectors run past the end of the address space";
        QTest::newRow("end below start") << first + Group(2, "0", "0x20000", "0x18000", "4096")
                                         << "FLASH 2 end address is below its start address";
        QTest::newRow("area beyond a byte") << Group(1, "258", "0x1000", "0x2000", "4096")
                                            << "FLASH 1 TYPE 258 is not a memory area of the device (0..255)";
        QTest::newRow("millions of sectors")
            << Group(1, "0", "0", "0x200000", "1") << "FLASH layout has more than 1048576 sectors";
    }

    void refused()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        CFlashLayout layout;
        QVERIFY(!layout.Load(Write(text)));
        QCOMPARE(layout.ErrorText(), error);
    }

    void rewrittenFileReadAgain()
    {
        // Same size and the same time stamp, as a rewrite within a FAT time stamp's two seconds looks.
        const QString path = Write(Group(1, "0", "0x10000", "0x12000", "4096"));
        const QDateTime stamp = QFileInfo(path).lastModified();
        CFlashLayout layout;
        QVERIFY(layout.Load(path));
        Write(Group(1, "0", "0x20000", "0x22000", "4096"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite) &&
                file.setFileTime(stamp, QFileDevice::FileModificationTime));
        file.close();
        QVERIFY(layout.Load(path));
        QCOMPARE(SectorsOf(layout), (Sectors{{0, 0x20000, 4096}, {0, 0x21000, 4096}}));
    }

    void missingFileLeavesNoText()
    {
        CFlashLayout layout;
        QVERIFY(!layout.Load(m_dir.filePath("absent.ini")));
        QVERIFY(layout.ErrorText().isEmpty());
    }

    void leadingSectors_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<uint>("length");
        QTest::addColumn<uint>("count");
        const QByteArray sixteen = Group(1, "2", "0x10000", "0x20000", "4096");
        QTest::newRow("10000 bytes") << sixteen << 10000u << 3u;
        QTest::newRow("empty image still erases one") << sixteen << 0u << 1u;
        QTest::newRow("one sector exactly") << sixteen << 4096u << 1u;
        QTest::newRow("one byte more") << sixteen << 4097u << 2u;
        QTest::newRow("everything") << sixteen << 0x10000u << 16u;
        // The first group's last sector overruns into the second group: counting sizes would say
        // three sectors reach 0x3000 while they only cover up to 0x2800.
        QTest::newRow("overlapping sectors")
            << Group(1, "0", "0", "0x1800", "4096") + Group(2, "0", "0x1800", "0x4000", "4096") << 0x2C00u
            << 4u;
    }

    void leadingSectors()
    {
        QFETCH(QByteArray, text);
        QFETCH(uint, length);
        QFETCH(uint, count);
        CFlashLayout layout;
        QVERIFY(layout.Load(Write(text)));
        QCOMPARE(layout.LeadingSectorsFor(length), count);
    }

    void layoutFileNeverTheSettingsFile_data()
    {
        QTest::addColumn<QString>("packageDir");
        QTest::addColumn<QString>("layoutName");
        const QString appDir = QCoreApplication::applicationDirPath();
        QTest::newRow("elsewhere") << m_dir.path() << "Config.ini";
        QTest::newRow("application directory") << appDir << "FlashLayout.ini";
        QTest::newRow("application directory, other spelling") << appDir + "/./"
                                                               << "FlashLayout.ini";
    }

    void layoutFileNeverTheSettingsFile()
    {
        QFETCH(QString, packageDir);
        QFETCH(QString, layoutName);
        const QString layout = LayoutFilePath(packageDir + "/package.dat");
        QCOMPARE(QFileInfo(layout).fileName(), layoutName);
        QCOMPARE(QFileInfo(layout).absolutePath(), QFileInfo(packageDir + "/package.dat").absolutePath());
        QVERIFY(QFileInfo(layout).absoluteFilePath() != QFileInfo(SettingsFilePath()).absoluteFilePath());
    }
};

QTEST_GUILESS_MAIN(TestFlashLayout)
#include "tst_flashlayout.moc"
