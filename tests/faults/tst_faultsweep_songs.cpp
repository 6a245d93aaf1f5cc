#include "BrindleQT.h"
#include "CDialogAnswerer.h"
#include "CLooperSongTable.h"
#include "CSimBus.h"
#include "CUSBPort.h"
#include "DeviceModel.h"
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

// One model of each store kind: the file table, and the legacy layout whose writes are verified
// by range checksum.
const uint32_t MODELS[] = {10002, 10003};
const uint32_t SLOT = 0;
const uint32_t NEW_SONG_BYTES = 6000;
const uint8_t NEW_SONG_BYTE = 0x42;

// Songs are stored in whole sample groups.
uint32_t GroupBytes(uint32_t productId)
{
    return FindDeviceModel(productId)->geometry->groupSize;
}

std::vector<uint8_t> OldSong(uint32_t productId)
{
    std::vector<uint8_t> bytes(42 * GroupBytes(productId));
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

// The file table keeps whole groups, cutting the rest; the legacy layout pads the last group with zeros.
bool IsNewSong(uint32_t productId, const std::vector<uint8_t> &bytes)
{
    const size_t group = GroupBytes(productId);
    const size_t song = std::min<size_t>(bytes.size(), NEW_SONG_BYTES);
    if (bytes.size() + group <= NEW_SONG_BYTES || bytes.size() >= NEW_SONG_BYTES + group)
        return false;
    return std::all_of(bytes.begin(), bytes.begin() + long(song),
                       [](uint8_t b) { return b == NEW_SONG_BYTE; }) &&
           std::all_of(bytes.begin() + long(song), bytes.end(), [](uint8_t b) { return b == 0; });
}

} // namespace

// Every fault kind at a spread of requests of Download, Upload and Delete in the window, on a
// model of each store kind: each case must end with a message or the reloaded list, leave the
// window idle, program nothing without an erase, and leave the slot with its old song unless the
// new record was committed.
class TestFaultSweepSongs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        UseSimulatedLoopersInWindow();
        QFile file(m_dir.filePath("new.wav"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(NewSongFile()) > 0);
        file.close();
        for (uint32_t productId : MODELS) {
            for (EOperation operation : {DOWNLOAD, UPLOAD, DELETE})
                RunClean(productId, operation);
        }
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
        QTest::addColumn<uint>("productId");
        QTest::addColumn<int>("operation");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("request");
        for (uint32_t productId : MODELS) {
            for (EOperation operation : {DOWNLOAD, UPLOAD, DELETE})
                AddRows(productId, operation);
        }
    }
    void everyFaultAtSpreadRequests()
    {
        QFETCH(uint, productId);
        QFETCH(int, operation);
        QFETCH(int, kind);
        QFETCH(int, request);
        Start(productId);
        m_pDevice->SetFault({ESimFaultKind(kind), request, -1, false, 0});
        const QStringList seen = Run(EOperation(operation));

        // Answers left over are fine; a box that did not take its answer (a question where a
        // message was expected) is not.
        QVERIFY2(m_pAnswerer->Failures().isEmpty(), qPrintable(m_pAnswerer->Failures().join("\n")));
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
            VerifyUploadedFile(bSucceeded, m_uploadedFiles.value(productId));

        m_pWindow.reset();
        m_pDevice->ClearFaults();
        CSimBus::Instance().Replug(m_pDevice);
        const SSlotContent slot = ReadSlot();
        QVERIFY2(slot.bLoaded, "the list no longer loads");
        const std::vector<uint8_t> old = OldSong(productId);
        if (operation == DELETE) {
            QVERIFY2(!slot.bHasSong || (!bSucceeded && slot.bytes == old), "the delete was not kept");
            return;
        }
        QVERIFY2(slot.bHasSong, "the song is gone");
        if (operation == DOWNLOAD && bSucceeded)
            QVERIFY2(IsNewSong(productId, slot.bytes),
                     "a download reported as done did not store the new song");
        else
            QVERIFY2(slot.bytes == old || (operation == DOWNLOAD && IsNewSong(productId, slot.bytes)),
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
    void AddRows(uint32_t productId, EOperation operation)
    {
        for (const auto &fault : SweptFaultKinds()) {
            for (int request : SpreadOfRequests(m_cleanRequests.value({productId, operation}))) {
                QTest::addRow("%u %s, %s at %d", productId, OperationName(operation),
                              qPrintable(fault.second), request)
                    << uint(productId) << int(operation) << int(fault.first) << request;
            }
        }
    }
    // The number of requests and the uploaded file of a run without faults, to sweep and compare with.
    void RunClean(uint32_t productId, EOperation operation)
    {
        Start(productId);
        const QStringList seen = Run(operation);
        QVERIFY2(operation == DELETE ? seen.isEmpty() : seen == QStringList{"Successful !"},
                 qPrintable(seen.join(" | ")));
        const int nRequests = int(m_pDevice->Requests().size());
        m_cleanRequests[{productId, operation}] = nRequests;
        if (operation == UPLOAD) {
            QFile file(UploadPath());
            QVERIFY(file.open(QIODevice::ReadOnly));
            m_uploadedFiles[productId] = file.readAll();
            QVERIFY(m_uploadedFiles[productId].size() > int(OldSong(productId).size()));
        }
        qInfo("%u %s: %d requests", productId, OperationName(operation), nRequests);
        cleanup();
    }
    // A looper of the model with the old song in the slot, then the window on it.
    void Start(uint32_t productId)
    {
        m_pDevice = AttachLooperWithSongs(productId, {{SLOT, OldSong(productId)}});
        QVERIFY(m_pDevice);
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
    void VerifyUploadedFile(bool bSucceeded, const QByteArray &clean)
    {
        QFile file(UploadPath());
        if (!bSucceeded) {
            QVERIFY2(!file.exists(), "a failed upload left a file");
            return;
        }
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY2(file.readAll() == clean, "the uploaded file differs from a clean upload's");
    }
    QString UploadPath() const { return m_dir.filePath("uploaded.wav"); }

    QTemporaryDir m_dir;
    QMap<QPair<uint32_t, int>, int> m_cleanRequests;
    QMap<uint32_t, QByteArray> m_uploadedFiles;
    std::shared_ptr<CSimDevice> m_pDevice;
    std::unique_ptr<CDialogAnswerer> m_pAnswerer;
    std::unique_ptr<BrindleQT> m_pWindow;
};

QTEST_MAIN(TestFaultSweepSongs)
#include "tst_faultsweep_songs.moc"
