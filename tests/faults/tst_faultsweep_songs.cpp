#include "BrindleQT.h"
#include "CDialogAnswerer.h"
#include "CLooperSongTable.h"
#include "CSimBus.h"
#include "CUSBPort.h"
#include "FaultKinds.h"
#include "Settings.h"
#include "SimulatedLoopers.h"
#include "WavBytes.h"

#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

enum EOperation { DOWNLOAD, UPLOAD, DELETE };

const uint32_t PULSE_RIG = 10002;
const uint32_t SLOT = 0;
const uint32_t OLD_SONG_BYTES = 8064;
const uint32_t NEW_SONG_BYTES = 6000;
const uint8_t NEW_SONG_BYTE = 0x42;
// A file-table song is stored in whole sample groups of this many bytes.
const uint32_t GROUP_BYTES = 192;

std::vector<uint8_t> OldSong()
{
    std::vector<uint8_t> bytes(OLD_SONG_BYTES);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i * 7 + i / 251);
    return bytes;
}

QByteArray NewSongFile()
{
    return DeviceFormWavBytes(QByteArray(int(NEW_SONG_BYTES), char(NEW_SONG_BYTE)));
}

const char *OperationName(EOperation operation)
{
    return operation == DOWNLOAD ? "download" : operation == UPLOAD ? "upload" : "delete";
}

// What the slot holds when the device answers again, read through a fresh link.
struct SSlotContent {
    bool bLoaded = false;
    bool bHasSong = false;
    std::vector<uint8_t> bytes;
};

SSlotContent ReadSlot()
{
    SSlotContent content;
    CUSBPort port;
    if (!port.Connect(0))
        return content;
    CLooperSongTable table(port);
    content.bLoaded = table.LoadSongs() == RESULT_OK;
    CLooperSongBase *store = table.Store(SLOT);
    if (!content.bLoaded || !store || !store->HasSong())
        return content;
    content.bHasSong = true;
    content.bytes.resize(store->GetSize());
    if (table.ReadSong(SLOT, content.bytes.data(), uint32_t(content.bytes.size()), nullptr) != RESULT_OK)
        content.bytes.clear();
    return content;
}

bool IsNewSong(const std::vector<uint8_t> &bytes)
{
    return bytes.size() > NEW_SONG_BYTES - GROUP_BYTES && bytes.size() <= NEW_SONG_BYTES &&
           std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == NEW_SONG_BYTE; });
}

} // namespace

// Every fault kind at a spread of requests of Download, Upload and Delete in the window: each
// case must end with a message or the reloaded list, leave the window idle, program nothing
// without an erase, and leave the slot with its old song unless the new record was committed.
class TestFaultSweepSongs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        UseSimulatedLoopersInWindow();
        QFile file(m_dir.filePath("new.wav"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(NewSongFile()) > 0);
        file.close();
        for (EOperation operation : {DOWNLOAD, UPLOAD, DELETE})
            RunClean(operation);
    }
    void cleanup()
    {
        m_pWindow.reset();
        m_pAnswerer.reset();
        CSimBus::Instance().Clear();
        m_pDevice.reset();
        QFile::remove(SettingsFilePath());
        QFile::remove(UploadPath());
    }

    void everyFaultAtSpreadRequests_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("request");
        for (EOperation operation : {DOWNLOAD, UPLOAD, DELETE}) {
            for (const auto &fault : SweptFaultKinds()) {
                for (int request : SpreadOfRequests(m_cleanRequests.value(operation)))
                    QTest::addRow("%s, %s at %d", OperationName(operation), qPrintable(fault.second), request)
                        << int(operation) << int(fault.first) << request;
            }
        }
    }
    void everyFaultAtSpreadRequests()
    {
        QFETCH(int, operation);
        QFETCH(int, kind);
        QFETCH(int, request);
        Start();
        m_pDevice->SetFault({ESimFaultKind(kind), request, -1, false, 0});
        const QStringList seen = Run(EOperation(operation));

        QVERIFY2(!m_pDevice->Requests().empty(), "the operation sent nothing");
        QCOMPARE(m_pWindow->Operation(), int32_t(OP_NONE));
        QVERIFY(m_pWindow->findChild<QProgressBar *>("progressBar")->isHidden());
        QVERIFY(m_pWindow->findChild<QTabWidget *>("propSheet")->isTabEnabled(0));
        QVERIFY(m_pWindow->findChild<QTabWidget *>("propSheet")->isTabEnabled(1));
        QVERIFY(m_pDevice->Flash().Faults().empty());
        // A delete that worked says nothing; the others always end with a message.
        const bool bSucceeded = operation == DELETE ? seen.isEmpty() : seen.contains("Successful !");
        QVERIFY2(operation == DELETE || !seen.isEmpty(), "the operation ended without a message");
        if (operation == UPLOAD)
            VerifyUploadedFile(bSucceeded);

        m_pWindow.reset();
        m_pDevice->ClearFaults();
        CSimBus::Instance().Replug(m_pDevice);
        const SSlotContent slot = ReadSlot();
        QVERIFY2(slot.bLoaded, "the list no longer loads");
        if (operation == DELETE) {
            QVERIFY2(!slot.bHasSong || (!bSucceeded && slot.bytes == OldSong()), "the delete was not kept");
            return;
        }
        QVERIFY2(slot.bHasSong, "the song is gone");
        if (operation == DOWNLOAD && bSucceeded)
            QVERIFY2(IsNewSong(slot.bytes), "a download reported as done did not store the new song");
        else
            QVERIFY2(slot.bytes == OldSong() || (operation == DOWNLOAD && IsNewSong(slot.bytes)),
                     qPrintable(QString("the slot holds %1 bytes of neither song").arg(slot.bytes.size())));
    }

private:
    // The first requests of an operation, its last ones and a spread between.
    static QList<int> SpreadOfRequests(int nRequests)
    {
        // Covers the erases and writes of a download and every read of the upload; a reload after
        // them is a long run of alike reads.
        const int EVERY_UP_TO = 8;
        QList<int> requests;
        for (int request = 1; request <= nRequests; ++request) {
            if (request <= EVERY_UP_TO || request > nRequests - 3 || request % (nRequests / 6 + 1) == 0)
                requests.append(request);
        }
        return requests;
    }
    void RunClean(EOperation operation)
    {
        Start();
        const QStringList seen = Run(operation);
        QVERIFY2(operation == DELETE ? seen.isEmpty() : seen == QStringList{"Successful !"},
                 qPrintable(seen.join(" | ")));
        m_cleanRequests[operation] = int(m_pDevice->Requests().size());
        if (operation == UPLOAD) {
            QFile file(UploadPath());
            QVERIFY(file.open(QIODevice::ReadOnly));
            m_uploadedFile = file.readAll();
            QVERIFY(m_uploadedFile.size() > int(OLD_SONG_BYTES));
        }
        qInfo("%s: %d requests", OperationName(operation), m_cleanRequests[operation]);
        cleanup();
    }
    // A PULSE RIG with the old song in the slot, then the window on it.
    void Start()
    {
        SSimDeviceConfig config;
        config.productId = PULSE_RIG;
        m_pDevice = std::make_shared<CSimDevice>(config);
        CSimBus::Instance().Attach(m_pDevice);
        {
            CUSBPort port;
            QVERIFY(port.Connect(0));
            CLooperSongTable table(port);
            QCOMPARE(table.LoadSongs(), int32_t(RESULT_OK));
            const std::vector<uint8_t> song = OldSong();
            QCOMPARE(table.WriteSong(SLOT, song.data(), uint32_t(song.size()), nullptr), int32_t(RESULT_OK));
        }
        m_pAnswerer.reset(new CDialogAnswerer);
        m_pWindow.reset(new BrindleQT);
        m_pWindow->findChild<QListWidget *>("m_lstSong")->setCurrentRow(int(SLOT));
        m_pDevice->ClearRequests();
    }
    // Drives the operation as a user would and returns the texts of the message boxes after the
    // questions. The window works synchronously: when the click returns, the operation is over.
    QStringList Run(EOperation operation)
    {
        const char *button = "m_btnDelete";
        int nQuestions = 1;
        if (operation == DOWNLOAD) {
            button = "m_btnDownload";
            m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Yes));
            m_pAnswerer->Expect(CDialogAnswerer::ChooseFile(m_dir.filePath("new.wav")));
            nQuestions = 2;
        } else if (operation == UPLOAD) {
            button = "m_btnUpload";
            m_pAnswerer->Expect(CDialogAnswerer::ChooseFile(UploadPath()));
        } else {
            m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Yes));
        }
        // Enough for every message a failing operation may show.
        for (int k = 0; k < 4; ++k)
            m_pAnswerer->Expect(CDialogAnswerer::Press(QMessageBox::Ok));
        m_pWindow->findChild<QPushButton *>(button)->click();
        return m_pAnswerer->SeenTexts().mid(nQuestions);
    }
    void VerifyUploadedFile(bool bSucceeded)
    {
        QFile file(UploadPath());
        if (!bSucceeded) {
            QVERIFY2(!file.exists(), "a failed upload left a file");
            return;
        }
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY2(file.readAll() == m_uploadedFile, "the uploaded file differs from a clean upload's");
    }
    QString UploadPath() const { return m_dir.filePath("uploaded.wav"); }

    QTemporaryDir m_dir;
    QMap<int, int> m_cleanRequests;
    QByteArray m_uploadedFile;
    std::shared_ptr<CSimDevice> m_pDevice;
    std::unique_ptr<CDialogAnswerer> m_pAnswerer;
    std::unique_ptr<BrindleQT> m_pWindow;
};

QTEST_MAIN(TestFaultSweepSongs)
#include "tst_faultsweep_songs.moc"
