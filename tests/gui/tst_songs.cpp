#include "BrindleQT.h"
#include "CDialogAnswerer.h"
#include "CLooperSongTable.h"
#include "CSimBus.h"
#include "CSongNames.h"
#include "CWaveformView.h"
#include "Settings.h"
#include "SimulatedLoopers.h"
#include "SongListMenu.h"
#include "WindowTest.h"
#include "WindowTestEnd.h"
#include "WavBytes.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {

// Linear interpolation on the exact ratio t/s between x[i-1] and x[i], written here from the
// description of the conversion, independently of the program's code.
QVector<qint64> Reference(const QVector<qint64> &x, qint64 s, qint64 t)
{
    const qint64 g = std::gcd(s, t);
    const qint64 L = t / g;
    const qint64 M = s / g;
    QVector<qint64> y{x[0]};
    qint64 i = 0;
    qint64 acc = 0;
    const qint64 last = x.size() - 1;
    for (;;) {
        acc += M;
        for (; acc >= L && i < last; acc -= L)
            ++i;
        if (i >= last)
            break;
        y.append(((L - acc) * x[i == 0 ? 0 : i - 1] + acc * x[i]) / L);
    }
    if (acc < L / 2)
        y.append(x[last]);
    return y;
}

const int FORMAT_TAG_AT = 20;

// A one-channel song of 24-bit samples: a tone whose level goes from `from` to `to` of full scale.
std::vector<uint8_t> ToneSong(uint32_t frames, double from, double to)
{
    std::vector<uint8_t> bytes(size_t(frames) * 3);
    for (uint32_t k = 0; k < frames; ++k) {
        const double level = from + (to - from) * k / frames;
        const int32_t sample = int32_t(level * 8388607 * std::sin(k * 0.05));
        bytes[3 * k] = uint8_t(sample);
        bytes[3 * k + 1] = uint8_t(sample >> 8);
        bytes[3 * k + 2] = uint8_t(sample >> 16);
    }
    return bytes;
}

QVector<qint64> Samples24(const uint8_t *bytes, uint32_t frames, uint32_t stride)
{
    QVector<qint64> values;
    for (uint32_t k = 0; k < frames; ++k) {
        const uint8_t *b = bytes + size_t(k) * stride;
        const qint64 v = b[0] | b[1] << 8 | b[2] << 16;
        values.append(v & 0x800000 ? v - (1 << 24) : v);
    }
    return values;
}

} // namespace

// The song page driven as a user drives it, against a simulated looper.
class TestSongs : public CWindowTest {
    Q_OBJECT

private slots:
    void initTestCase() { UseSimulatedLoopersInWindow(); }
    void cleanup() { EndWindowTest(m_pWindow, m_pAnswerer); }

    void listShowsEverySlot()
    {
        Start(10002, {{0, 1572864}, {3, 5000}});
        QListWidget *list = List();
        QCOMPARE(list->count(), 30);
        QCOMPARE(list->item(0)->text(), QString("Song 001 -- (1.50  MB)"));
        QCOMPARE(list->item(9)->text(), QString("Song 010 -- (Empty)"));
        QVERIFY(list->item(0)->isSelected());
        QCOMPARE(m_pWindow->CurrentRow(), 0);
        QCOMPARE(list->item(0)->icon().cacheKey() == list->item(9)->icon().cacheKey(), false);
        VerifyButtons(true, true);

        list->setCurrentRow(9);
        VerifyButtons(true, false);
        list->setCurrentRow(3);
        VerifyButtons(true, true);
        list->setCurrentRow(-1);
        VerifyButtons(false, false);
    }

    void deleteAsksAndEmptiesTheSlot()
    {
        Start(10002, {{2, 3000}});
        List()->setCurrentRow(2);
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::No));
        Button("m_btnDelete")->click();
        QVERIFY(m_pAnswerer->WaitForAll());
        QCOMPARE(m_pAnswerer->Seen().value(0).strTitle, QString("Delete"));
        QCOMPARE(m_pAnswerer->SeenTexts(), QStringList{"Continue to delete song 'Song 003 -- (0.00  MB)' ?"});
        QCOMPARE(List()->item(2)->text(), QString("Song 003 -- (0.00  MB)"));

        m_pAnswerer->Reset();
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Yes));
        Button("m_btnDelete")->click();
        QVERIFY(m_pAnswerer->WaitForAll());
        QCOMPARE(m_pAnswerer->Seen().size(), 1);
        QCOMPARE(List()->item(2)->text(), QString("Song 003 -- (Empty)"));
        QVERIFY(List()->item(2)->isSelected());
        VerifyButtons(true, false);
    }

    void deleteOfARowThatVanishedWhileAsking()
    {
        Start(10002, {{2, 3000}});
        List()->setCurrentRow(2);
        // The watcher's first poll counts the ports present at start as a change; let that pass first.
        QTest::qWait(1300);
        // While the box is open the looper is swapped for a one-slot model; the monitor reloads the table.
        QTimer::singleShot(100, this, [this] { CSimBus::Instance().Unplug(m_pDevice); });
        QTimer::singleShot(
            1600, this, [] { CSimBus::Instance().Attach(std::make_shared<CSimDevice>(SSimDeviceConfig())); });
        // Answered by hand here: the box must stay open while the monitor works, and Yes waits
        // until the list was emptied and filled again, however long the monitor takes.
        m_pAnswerer.reset();
        QStringList seen;
        bool bListEmptied = false;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [this, &seen, &bListEmptied] {
            bListEmptied = bListEmptied || List()->count() == 0;
            if (seen.size() == 1)
                AnswerActiveBox(QMessageBox::Ok, seen);
            else if (seen.isEmpty() && bListEmptied && List()->count() > 0)
                AnswerActiveBox(QMessageBox::Yes, seen);
        });
        answer.start(100);
        Button("m_btnDelete")->click();
        QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 2, 20000);
        QCOMPARE(seen,
                 (QStringList{"Continue to delete song 'Song 003 -- (0.00  MB)' ?", "Space not enough!"}));
        m_pAnswerer.reset();
    }

    // A two-channel looper gets each sample in both channels, so Upload reads the song as it was.
    void downloadAndUploadRoundTrip_data()
    {
        QTest::addColumn<uint>("productId");
        QTest::addColumn<int>("row");
        QTest::newRow("one channel") << 10002u << 4;
        QTest::newRow("two channels") << 10004u << 0;
    }
    void downloadAndUploadRoundTrip()
    {
        QFETCH(uint, productId);
        QFETCH(int, row);
        const QString song = QString::asprintf("Song %.3d", row + 1);
        Start(productId, {});
        QByteArray stereo;
        QVector<qint64> left;
        for (int i = 0; i < 4410; ++i) {
            const int16_t l = int16_t((i * 37) % 20000 - 10000);
            stereo += LittleEndian32(uint16_t(l) | uint32_t(0x1234) << 16);
            left.append(qint64(l) * 256);
        }
        const QString input = WriteFile("stereo.wav", WavBytes(2, 44100, 16, stereo));
        List()->setCurrentRow(row);
        m_pAnswerer->Expect(CDialogAnswerer::ChooseFile(input));
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Ok));
        Button("m_btnDownload")->click();
        QVERIFY(m_pAnswerer->WaitForAll());
        QCOMPARE(m_pAnswerer->SeenTexts().last(), QString("Successful !"));
        VerifyIdle();
        QVERIFY(List()->item(row)->isSelected());
        QVERIFY(List()->item(row)->text().startsWith(song + " -- (0.0"));
        const QVector<qint64> stored = Reference(left, 44100, 46875);
        QVERIFY(m_pDevice->Flash().Faults().empty());
        if (productId == 10004)
            VerifyStoredChannelsEqual(uint32_t(row));

        m_pAnswerer->Reset();
        const QString output = m_dir.filePath(QString("back-%1.wav").arg(productId));
        m_pAnswerer->Expect(CDialogAnswerer::ChooseFile(output));
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Ok));
        Button("m_btnUpload")->click();
        QVERIFY(m_pAnswerer->WaitForAll());
        QCOMPARE(m_pAnswerer->Seen().value(0).strText, song);
        QCOMPARE(m_pAnswerer->SeenTexts().last(), QString("Successful !"));
        VerifyIdle();
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray wav = file.readAll();
        QCOMPARE(qFromLittleEndian<uint32_t>(wav.constData() + 24), 48000u);
        // The slot holds whole sample groups: the stored song is the converted clip, padded.
        const QVector<qint64> expected = Reference(stored, 46875, 48000);
        const uint32_t frames = std::min(uint32_t(expected.size()), uint32_t(wav.size() - 46) / 3);
        const QVector<qint64> got =
            Samples24(reinterpret_cast<const uint8_t *>(wav.constData()) + 46, frames, 3);
        int mismatch = -1;
        // The last sample group may be cut when the slot is read back; compare everything before it.
        for (int k = 0; k < expected.size() - 80 && mismatch < 0; ++k)
            mismatch = got[k] == expected[k] ? -1 : k;
        QVERIFY2(mismatch < 0, qPrintable(QString("sample %1: %2 instead of %3 (of %4)")
                                              .arg(mismatch)
                                              .arg(got.value(mismatch))
                                              .arg(expected.value(mismatch))
                                              .arg(expected.size())));
        QCOMPARE(GetFileDir(output), ReadConfigValue("/Config/WavSaveDir"));
    }

    void refusedDownloadsLeaveTheSlot_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("not a wav file") << QByteArray("just some text") << "Wave file '%1' RIFF not found";
        QTest::newRow("8-bit") << WavBytes(1, 44100, 8, QByteArray(100, 'a'))
                               << "Wave file '%1' format not supported";
        // Block align 4 as 16-bit stereo has, but one 32-bit channel: read as stereo it is noise.
        QTest::newRow("32-bit mono") << WavBytes(1, 44100, 32, QByteArray(400, 'a'))
                                     << "Wave file '%1' format not supported";
        QTest::newRow("32-bit float mono")
            << WavBytes(1, 44100, 32, QByteArray(400, 'a')).replace(FORMAT_TAG_AT, 2, LittleEndian16(3))
            << "Wave file '%1' format not supported";
        QTest::newRow("16-bit three channels")
            << WavBytes(3, 44100, 16, QByteArray(600, 'a')) << "Wave file '%1' format not supported";
        QTest::newRow("no samples") << WavBytes(2, 44100, 16, QByteArray())
                                    << "Wave file '%1' has no samples";
        QTest::newRow("too long") << DeviceFormWavBytes(QByteArray(41287680 + 3, '\x11'))
                                  << "File too large!";
    }
    void refusedDownloadsLeaveTheSlot()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        Start(10002, {{1, 6000}});
        const QString path = WriteFile("refused.wav", file);
        List()->setCurrentRow(1);
        m_pDevice->ClearRequests();
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Yes));
        m_pAnswerer->Expect(CDialogAnswerer::ChooseFile(path));
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Ok));
        Button("m_btnDownload")->click();
        QVERIFY(m_pAnswerer->WaitForAll(20000));
        QCOMPARE(m_pAnswerer->Seen().value(0).strTitle, QString("Overwrite warning"));
        QCOMPARE(m_pAnswerer->SeenTexts().value(0),
                 QString("'Song 002 -- (0.01  MB)' already exist, continue to overwrite the song?"));
        QCOMPARE(m_pAnswerer->SeenTexts().value(2), message.arg(path));
        VerifyIdle();
        for (const SSimRequest &request : m_pDevice->Requests())
            QVERIFY(request.command != 0x21 && request.command != 0x22);
    }

    void overwriteDeclinedChangesNothing()
    {
        Start(10002, {{0, 6000}});
        m_pDevice->ClearRequests();
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::No));
        Button("m_btnDownload")->click();
        QVERIFY(m_pAnswerer->WaitForAll());
        QVERIFY(m_pDevice->Requests().empty());
        QVERIFY(!QFile::exists(SettingsFilePath()));
    }

    void uploadFromTwoChannelsWritesMono()
    {
        Start(10004, {{0, 372 * 10}});
        const QString output = m_dir.filePath("double.wav");
        m_pAnswerer->Expect(CDialogAnswerer::ChooseFile(output));
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Ok));
        Button("m_btnUpload")->click();
        QVERIFY(m_pAnswerer->WaitForAll());
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray wav = file.readAll();
        QCOMPARE(wav.mid(20, 18).toHex(' '),
                 QByteArray("01 00 01 00 80 bb 00 00 80 32 02 00 03 00 18 00 12 00"));
    }

    // The panel shows the selected song: its facts, and a waveform read in at most 256 requests, the
    // reads of a row left behind dropped, and a second look read from the cache alone.
    void panelShowsTheSelectedSong()
    {
        m_pDevice =
            AttachLooperWithSongs(10002, {{0, ToneSong(192000, 0.9, 0.9)}, {3, ToneSong(384000, 0, 0.5)}});
        m_pAnswerer.reset(new CDialogAnswerer);
        m_pWindow.reset(new BrindleQT);
        QCOMPARE(Text("m_lblSongFacts"), QString("0:04.096    576000 bytes (0.55 MB)    3 blocks"));
        m_pDevice->ClearRequests();
        m_pWindow->show();
        QTRY_VERIFY(m_pDevice->Requests().size() >= 20);
        List()->setCurrentRow(3);
        const size_t nLeft = m_pDevice->Requests().size();
        QTRY_VERIFY(Waveform()->HasPeaks());
        QVERIFY(m_pDevice->Requests().size() - nLeft <= 256);
        QVERIFY(!Waveform()->PeaksExact());
        const QImage rising = Waveform()->grab().toImage();

        List()->setCurrentRow(0);
        QTRY_VERIFY(Waveform()->HasPeaks());
        const QImage steady = Waveform()->grab().toImage();
        QVERIFY(steady != rising);
        List()->setCurrentRow(2);
        QVERIFY(Text("m_lblSongFacts").isEmpty());
        QVERIFY(Waveform()->grab().toImage() != steady);

        m_pDevice->ClearRequests();
        List()->setCurrentRow(3);
        QVERIFY(Waveform()->HasPeaks());
        QCOMPARE(Waveform()->grab().toImage(), rising);
        QTest::qWait(100);
        QVERIFY(m_pDevice->Requests().empty());
    }

    // F2 names the song, the name follows it into the next window, a song read whole draws its exact
    // waveform, and the Delete key deletes the song and its name.
    void namedSongUploadedAndDeleted()
    {
        Start(10002, {{1, 192 * 2000}});
        ShowActive();
        List()->setCurrentRow(1);
        QTest::keyClick(List(), Qt::Key_F2);
        auto *pEdit = m_pWindow->findChild<QLineEdit *>("m_editSongName");
        QVERIFY(pEdit->isVisible());
        QTest::keyClicks(pEdit, " Bass   line ");
        QTest::keyClick(pEdit, Qt::Key_Return);
        QCOMPARE(Text("m_lblSongName"), QString("Bass line"));
        m_pWindow.reset();
        m_pWindow.reset(new BrindleQT);
        ShowActive();
        List()->setCurrentRow(1);
        QCOMPARE(Text("m_lblSongName"), QString("Bass line"));

        m_pAnswerer->Expect(CDialogAnswerer::ChooseFile(m_dir.filePath("take")));
        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Ok));
        Button("m_btnUpload")->click();
        QVERIFY(m_pAnswerer->WaitForAll());
        QVERIFY(QFile::exists(m_dir.filePath("take.wav")));
        QVERIFY(Waveform()->PeaksExact());

        m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Yes));
        QApplication::setActiveWindow(m_pWindow.get());
        QTest::keyClick(List(), Qt::Key_Delete);
        QVERIFY(m_pAnswerer->WaitForAll());
        QCOMPARE(List()->item(1)->text(), QString("Song 002 -- (Empty)"));
        QFile names(CSongNames::DefaultPath());
        QVERIFY(names.open(QIODevice::ReadOnly));
        QVERIFY(!names.readAll().contains("Bass line"));
    }

    // A row dropped on another swaps the two songs once the box says Yes; the menu's move asks for
    // the slot and before it replaces a song. The selection and the name follow the song.
    void songsSwappedByDragAndMovedByMenu()
    {
        Start(10002, {{2, 192 * 2000}, {6, 192 * 3000}});
        ShowActive();
        List()->setCurrentRow(2);
        QTest::keyClick(List(), Qt::Key_F2);
        QTest::keyClicks(m_pWindow->findChild<QLineEdit *>("m_editSongName"), "Pad");
        QTest::keyClick(m_pWindow->findChild<QLineEdit *>("m_editSongName"), Qt::Key_Return);
        for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
            std::unique_ptr<QMimeData> row(List()->model()->mimeData({List()->model()->index(2, 0)}));
            const QPoint pos = List()->visualItemRect(List()->item(6)).center();
            QDragEnterEvent enter(pos, Qt::CopyAction, row.get(), Qt::LeftButton, Qt::NoModifier);
            QDropEvent drop(pos, Qt::CopyAction, row.get(), Qt::LeftButton, Qt::NoModifier);
            m_pAnswerer->Reset();
            m_pAnswerer->Expect(CDialogAnswerer::Press(answer));
            QApplication::sendEvent(List()->viewport(), &enter);
            QApplication::sendEvent(List()->viewport(), &drop);
            QVERIFY(m_pAnswerer->WaitForAll());
            QCOMPARE(m_pAnswerer->SeenTexts(), QStringList{"Swap Song 003 and Song 007?"});
        }
        QCOMPARE(List()->item(2)->text(), QString("Song 003 -- (0.55  MB)"));
        QCOMPARE(List()->item(6)->text(), QString("Song 007 -- (0.37  MB)"));
        QCOMPARE(m_pWindow->CurrentRow(), 6);
        QCOMPARE(Text("m_lblSongName"), QString("Pad"));

        m_pAnswerer.reset();
        QStringList seen;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&seen] {
            auto *pInput = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            if (!pInput)
                return AnswerActiveBox(QMessageBox::Yes, seen);
            seen << pInput->labelText();
            pInput->setIntValue(3);
            pInput->accept();
        });
        answer.start(50);
        ChooseFromSongListMenu(List(), 6, QString::fromUtf8("Move to slot\u2026"));
        QTRY_COMPARE(List()->item(6)->text(), QString("Song 007 -- (Empty)"));
        QCOMPARE(seen, (QStringList{"Move Song 007 to slot:",
                                    "Move Song 007 to slot 3? The song in slot 3 is deleted."}));
        QCOMPARE(m_pWindow->CurrentRow(), 2);
        QCOMPARE(Text("m_lblSongName"), QString("Pad"));
    }

private:
    CWaveformView *Waveform() { return m_pWindow->findChild<CWaveformView *>("m_waveform"); }
    QString Text(const char *name) { return m_pWindow->findChild<QLabel *>(name)->text(); }
    static void AnswerActiveBox(QMessageBox::StandardButton button, QStringList &seen)
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen.append(box->text());
        box->button(button)->click();
    }
    // A simulated looper of the model with songs of the given lengths in the given slots, then the window.
    void Start(uint32_t productId, const QList<QPair<int, int>> &songs)
    {
        QMap<uint32_t, std::vector<uint8_t>> contents;
        for (const auto &song : songs) {
            std::vector<uint8_t> &bytes = contents[uint32_t(song.first)];
            bytes.resize(size_t(song.second));
            for (size_t i = 0; i < bytes.size(); ++i)
                bytes[i] = uint8_t(i * 7 + song.first);
        }
        m_pDevice = AttachLooperWithSongs(productId, contents);
        QVERIFY(m_pDevice);
        m_pAnswerer.reset(new CDialogAnswerer);
        m_pWindow.reset(new BrindleQT);
        QCOMPARE(List()->count() > 0, true);
    }
    // The song as the looper holds it: 24-bit stereo frames whose two samples are equal.
    void VerifyStoredChannelsEqual(uint32_t slot)
    {
        CLooperSongTable table(m_pWindow->USBPort());
        QCOMPARE(table.LoadSongs(), int32_t(RESULT_OK));
        const uint32_t size = table.Store(slot)->GetSize();
        QVERIFY(size >= 6 * 4000);
        std::vector<uint8_t> bytes(size);
        QCOMPARE(table.ReadSong(slot, bytes.data(), size, nullptr), int32_t(RESULT_OK));
        for (size_t k = 0; k + 6 <= bytes.size(); k += 6)
            QVERIFY2(std::equal(&bytes[k], &bytes[k + 3], &bytes[k + 3]),
                     qPrintable(QString("frame %1").arg(k / 6)));
    }
    QString WriteFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
        return path;
    }
    void VerifyButtons(bool bOpen, bool bSong)
    {
        QCOMPARE(Button("m_btnOpen")->isEnabled(), bOpen);
        QCOMPARE(Button("m_btnUpload")->isEnabled(), bSong);
        QCOMPARE(Button("m_btnDelete")->isEnabled(), bSong);
        QVERIFY(Button("m_btnDownload")->isEnabled());
    }
    void VerifyIdle()
    {
        QCOMPARE(m_pWindow->Operation(), int32_t(OP_NONE));
        QVERIFY(m_pWindow->findChild<QProgressBar *>("progressBar")->isHidden());
        QVERIFY(m_pWindow->findChild<QTabWidget *>("propSheet")->isTabEnabled(1));
    }

    QTemporaryDir m_dir;
    std::shared_ptr<CSimDevice> m_pDevice;
};

QTEST_MAIN(TestSongs)
#include "tst_songs.moc"
