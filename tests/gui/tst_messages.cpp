#include "CDialogAnswerer.h"
#include "CMessageBoxPresenter.h"
#include "Messages.h"

#include <QApplication>
#include <QtTest>

// The result texts as the user sees them: a parentless box titled "Message" with one Ok button.
class TestMessages : public QObject {
    Q_OBJECT

private slots:
    void resultBoxes_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "Successful !";
        QTest::newRow("2") << 2 << "Device not support !";
        QTest::newRow("4") << 4 << "Read data failed!";
        QTest::newRow("5") << 5 << "Checksum error!";
        QTest::newRow("8") << 8 << "Space not enough!";
        QTest::newRow("9") << 9 << "FLASH erase failed!";
        QTest::newRow("10") << 10 << "File info erase failed!";
        QTest::newRow("11") << 11 << "Cancelled";
        QTest::newRow("12")
            << 12
            << "The song was stored, but the looper stopped answering: unplug it, plug it back "
               "in, then look at the song list";
        QTest::newRow("-1") << -1 << "Failed !";
    }
    void resultBoxes()
    {
        QFETCH(int, result);
        QFETCH(QString, text);
        CMessageBoxPresenter presenter;
        CMessagePresenter *previous = SetMessagePresenter(&presenter);
        CDialogAnswerer answerer;
        answerer.Expect(CDialogAnswerer::Press(QMessageBox::Ok));
        ShowResult(result);
        QVERIFY(answerer.WaitForAll());
        SetMessagePresenter(previous);
        QCOMPARE(answerer.Seen().size(), 1);
        const CDialogAnswerer::SSeenDialog seen = answerer.Seen()[0];
        QCOMPARE(seen.strTitle, QString("Message"));
        QCOMPARE(seen.strText, text);
        QCOMPARE(seen.nButtons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(!seen.bHasParent);
        QVERIFY(answerer.Failures().isEmpty());
    }

    void formattedMessagesDecodeUtf8()
    {
        CMessageBoxPresenter presenter;
        CMessagePresenter *previous = SetMessagePresenter(&presenter);
        CDialogAnswerer answerer;
        answerer.Expect(CDialogAnswerer::Press(QMessageBox::Ok));
        ShowMessageF("Checksum错误,算出来是%.2X, 包内校验是%.2X", 0x0E, 0xF1);
        QVERIFY(answerer.WaitForAll());
        SetMessagePresenter(previous);
        QCOMPARE(answerer.SeenTexts(),
                 QStringList{QString::fromUtf8("Checksum错误,算出来是0E, 包内校验是F1")});
    }
};

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
