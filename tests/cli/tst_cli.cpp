#include "CliRunner.h"

#include <QtTest>

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void portsListsTheSimulatedPair()
    {
        CCliRunner cli;
        const SCliRun run = cli.Run({"ports"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains("Input ports:\n  0: Brindle Looper\n"), qPrintable(run.out));
        QVERIFY(run.out.contains("Output ports:\n  0: Brindle Looper\n"));
        QVERIFY(run.out.contains("Name-matched pairs:\n  in 0 / out 0: Brindle Looper\n"));
    }

    void infoDescribesTheDevice_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("expected");
        QTest::newRow("solo")
            << "10003"
            << "normal" << 0
            << "Model:    Corvel Solo\nProduct:  10003\nFirmware: V1.2.3\nLink:     normal\n";
        QTest::newRow("pulse rig") << "10002"
                                   << "normal" << 0 << "Model:    PULSE RIG\nProduct:  10002\n";
        QTest::newRow("unknown product")
            << "12345"
            << "normal" << 0 << "Model:    (not in the model table)\nProduct:  12345\n";
        QTest::newRow("identity unread")
            << "10003"
            << "unreadable" << 0
            << "Model:    Unknown Device\nProduct:  4294967295\nFirmware: V255.255.255\n";
        QTest::newRow("raw") << "10003"
                             << "raw" << 1 << "";
        QTest::newRow("silent") << "10003"
                                << "silent" << 3 << "";
    }
    void infoDescribesTheDevice()
    {
        QFETCH(QString, model);
        QFETCH(QString, mode);
        QFETCH(int, exitCode);
        QFETCH(QString, expected);
        CCliRunner cli;
        cli.Set("BRINDLE_SIM_MODEL", model);
        cli.Set("BRINDLE_SIM_MODE", mode);
        const SCliRun run = cli.Run({"info"});
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(expected.isEmpty() || run.out.startsWith(expected), qPrintable(run.out + run.err));
        if (mode == "raw")
            QVERIFY(run.err.contains(
                "You should enter update mode first! For how to enter update mode, please refer "
                "to the manual"));
    }

    void portChoice()
    {
        CCliRunner cli;
        cli.Set("BRINDLE_SIM_DEVICES", "2");
        QCOMPARE(cli.Run({"--port", "Brindle Looper 2", "info"}).exitCode, 0);
        QCOMPARE(cli.Run({"--in", "Brindle Looper", "--out", "Brindle Looper", "info"}).exitCode, 0);
        const SCliRun missing = cli.Run({"--port", "Nothing Here", "info"});
        QCOMPARE(missing.exitCode, 3);
        QVERIFY(missing.err.contains("No MIDI input port named \"Nothing Here\""));
        QCOMPARE(cli.Run({"info"}).exitCode, 0);
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no command") << QStringList{};
        QTest::newRow("unknown command") << QStringList{"frobnicate"};
        QTest::newRow("unknown option") << QStringList{"--loud", "info"};
        QTest::newRow("option without value") << QStringList{"info", "--port"};
        QTest::newRow("port and in") << QStringList{"--port", "a", "--in", "b", "--out", "c", "info"};
        QTest::newRow("unknown api") << QStringList{"--api", "carrier-pigeon", "ports"};
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        const SCliRun run = CCliRunner().Run(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.err.contains("usage: brindle-cli"));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
