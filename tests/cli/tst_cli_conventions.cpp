#include "BrindleVersion.h"
#include "CPackageBuilder.h"
#include "CliRunner.h"
#include "WavBytes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <QtTest>

namespace {
// The one JSON document a --json run prints, or an empty object (with a failure) for anything else.
QJsonObject JsonOf(const SCliRun &run)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(run.out.toUtf8(), &error);
    if (run.exitCode != 0 || error.error != QJsonParseError::NoError || !document.isObject()) {
        qWarning("exit %d, %s: %s%s", run.exitCode, qPrintable(error.errorString()), qPrintable(run.out),
                 qPrintable(run.err));
        return QJsonObject();
    }
    return document.object();
}
} // namespace

class TestCliConventions : public QObject {
    Q_OBJECT

private slots:
    void helpAndVersion()
    {
        const CCliRunner cli;
        const SCliRun version = cli.Run({"--version"});
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out, QString("brindle-cli " BRINDLE_VERSION "\n"));

        const SCliRun help = cli.Run({"--help"});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.err.isEmpty());
        QVERIFY2(help.out.startsWith("usage: brindle-cli "), qPrintable(help.out));
        QCOMPARE(cli.Run({"-h"}).out, help.out);
        QCOMPARE(cli.Run({"help"}).out, help.out);

        // Every command the usage lists answers help COMMAND and COMMAND --help alike.
        const QRegularExpression row("^  ([a-z]+) ", QRegularExpression::MultilineOption);
        int commands = 0;
        for (auto match = row.globalMatch(help.out); match.hasNext(); ++commands) {
            const QString command = match.next().captured(1);
            const SCliRun usage = cli.Run({"help", command});
            QCOMPARE(usage.exitCode, 0);
            QVERIFY2(usage.out.contains(QStringLiteral("] %1").arg(command)), qPrintable(usage.out));
            QCOMPARE(cli.Run({command, "--help"}).out, usage.out);
        }
        QVERIFY(commands >= 9);

        const SCliRun unknown = cli.Run({"help", "frobnicate"});
        QCOMPARE(unknown.exitCode, 2);
        QVERIFY(unknown.out.isEmpty());
        QVERIFY(unknown.err.startsWith("brindle-cli: unknown command frobnicate\n"));
    }

    void jsonCarriesTheFactsOfTheText()
    {
        QTemporaryDir dir;
        const CCliRunner cli(10002, dir.filePath("flash.bin"));

        const QJsonObject info = JsonOf(cli.Run({"info", "--json"}));
        QCOMPARE(
            info,
            (QJsonObject{
                {"model", "PULSE RIG"}, {"productId", 10002}, {"firmware", "1.2.3"}, {"link", "normal"}}));

        const QJsonObject ports = JsonOf(cli.Run({"--json", "ports"}));
        QCOMPARE(ports["pairs"].toArray(),
                 (QJsonArray{QJsonObject{{"name", "Brindle Looper"}, {"input", 0}, {"output", 0}}}));
        QCOMPARE(ports["inputs"].toArray().size(), 1);

        QFile wav(dir.filePath("in.wav"));
        QVERIFY(wav.open(QIODevice::WriteOnly));
        wav.write(DeviceFormWavBytes(QByteArray(3 * 46875, '\x11')));
        wav.close();
        QCOMPARE(cli.Run({"download", wav.fileName(), "2"}).exitCode, 0);
        const QStringList rows = cli.Run({"list"}).out.split('\n', Qt::SkipEmptyParts);
        const QJsonArray listed = JsonOf(cli.Run({"list", "--json"}))["slots"].toArray();
        QCOMPARE(listed.size(), 30);
        QCOMPARE(listed[0].toObject(), (QJsonObject{{"slot", 1}, {"state", "empty"}, {"text", rows[0]}}));
        const QJsonObject song = listed[1].toObject();
        QCOMPARE(song["slot"], QJsonValue(2));
        QCOMPARE(song["state"], QJsonValue("song"));
        QVERIFY(rows[1].startsWith(song["text"].toString() + "  "));
        // The row shows the same size in MB.
        QVERIFY(song["bytes"].isDouble());
        QVERIFY(rows[1].contains(QString::number(song["bytes"].toDouble() / 1048576.0, 'f', 2) + "  MB"));

        CCliRunner raw;
        raw.Set("BRINDLE_SIM_MODE", "raw");
        const SCliRun refused = raw.Run({"list", "--json"});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY(refused.out.isEmpty());

        const SCliRun notJson = cli.Run({"upload", "2", dir.filePath("out.wav"), "--json"});
        QCOMPARE(notJson.exitCode, 2);
        QVERIFY(notJson.err.startsWith("brindle-cli: --json is not available for upload\n"));
        QVERIFY(!QFile::exists(dir.filePath("out.wav")));
    }

    void inspectJson()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("two.dat");
        QVERIFY(CPackageBuilder("10004")
                    .AddItem(CPackageBuilder::LayoutText(2, 0x10000, 16, 4096),
                             CPackageBuilder::PatternImage(10000, 1))
                    .AddItem("; no groups\n", CPackageBuilder::PatternImage(300, 2))
                    .Write(path));
        const QJsonObject package = JsonOf(CCliRunner().Run({"inspect", path, "--json"}));
        QCOMPARE(package["productId"], QJsonValue(10004));
        const QJsonArray items = package["items"].toArray();
        QCOMPARE(items.size(), 2);
        QCOMPARE(
            items[0].toObject(),
            (QJsonObject{
                {"item", 1},
                {"layout", QJsonObject{{"area", 2}, {"start", 65536}, {"sectors", 16}, {"totalSize", 65536}}},
                {"image", QJsonObject{{"bytes", 10000}}}}));
        QCOMPARE(items[1].toObject()["layout"].toObject(), (QJsonObject{{"sectors", 0}}));
    }
};

QTEST_GUILESS_MAIN(TestCliConventions)
#include "tst_cli_conventions.moc"
