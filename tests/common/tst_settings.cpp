#include "Settings.h"

#include <QDir>
#include <QTemporaryDir>

#include <QtTest>

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    // A build or an unpacked copy keeps its settings beside the executable; an installed copy, whose
    // bin/ folder the user cannot (or, as root, should not) write, in the user's configuration folder.
    void settingsFileByInstallKind()
    {
        QTemporaryDir prefix;
        qputenv("XDG_CONFIG_HOME", prefix.filePath("home-config").toUtf8());
        QVERIFY(QDir(prefix.path()).mkpath("bin"));
        const QString bin = prefix.filePath("bin");
        QCOMPARE(SettingsFileFor(bin), bin + "/Config.ini");
        QCOMPARE(SettingsFileFor(prefix.path()), prefix.filePath("Config.ini"));

        QVERIFY(QDir(prefix.path()).mkpath("share/metainfo"));
        QFile metainfo(prefix.filePath("share/metainfo/org.brindle.Brindle.metainfo.xml"));
        QVERIFY(metainfo.open(QIODevice::WriteOnly));
        metainfo.close();
        const QString userFile = prefix.filePath("home-config/brindle/Config.ini");
        QCOMPARE(SettingsFileFor(bin), userFile);

        // The first value written creates the user's folder.
        QSettings(userFile, QSettings::IniFormat).setValue("Config/WavSaveDir", "/music/");
        QCOMPARE(QSettings(userFile, QSettings::IniFormat).value("Config/WavSaveDir").toString(),
                 QString("/music/"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
