#include "CSoakRun.h"

#include "BackupManifest.h"
#include "CWave.h"
#include "CliRun.h"
#include "SCliOptions.h"
#include "SongTransfer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <cstdio>
#include <unistd.h>

namespace {
const int CONNECT_REQUESTS = 12;

// Runs with stdout and stderr in a file, so that the soak's own output stays its figures.
class CCapturedOutput {
public:
    CCapturedOutput()
    {
        m_file.open();
        std::fflush(stdout);
        std::fflush(stderr);
        m_nSavedOut = dup(STDOUT_FILENO);
        m_nSavedErr = dup(STDERR_FILENO);
        dup2(m_file.handle(), STDOUT_FILENO);
        dup2(m_file.handle(), STDERR_FILENO);
    }
    QString End()
    {
        std::fflush(stdout);
        std::fflush(stderr);
        dup2(m_nSavedOut, STDOUT_FILENO);
        dup2(m_nSavedErr, STDERR_FILENO);
        close(m_nSavedOut);
        close(m_nSavedErr);
        m_file.seek(0);
        return QString::fromLocal8Bit(m_file.readAll()).trimmed();
    }

private:
    QTemporaryFile m_file;
    int m_nSavedOut;
    int m_nSavedErr;
};

QString SlotText(uint32_t slot)
{
    return QString::number(slot + 1);
}
} // namespace

int CSoakRun::RunCommandLine(const QStringList &arguments)
{
    ++m_figures.commandLines;
    m_rig.Port().Disconnect();
    CCapturedOutput output;
    const int status = RunCli(arguments + QStringList{"--quiet"});
    m_strCommandOutput = output.End();
    return status;
}

// A mono WAV of random samples at the looper's own rate; the song is what its conversion gives.
QStringList CSoakRun::DownloadCommandLine(SStep &step)
{
    const Bytes samples = NewSong();
    const uint32_t channels = m_rig.Geometry().channels;
    const uint32_t frames = uint32_t(samples.size() / (3 * channels));
    CWave wave;
    wave.SetFormat(1, 46875, 24);
    uint8_t *data = new uint8_t[size_t(frames) * 3];
    std::copy(samples.begin(), samples.begin() + size_t(frames) * 3, data);
    wave.SetData(data, frames);
    const QString path = m_folder.filePath("song.wav");
    CWave converted;
    if (!wave.Save(path) || !LoadWaveForDevice(converted, path, m_rig.Device().Config().productId))
        qFatal("the soak's own WAV file could not be written and read");
    step.candidates[step.slot] = Bytes(converted.buffer.data, converted.buffer.data + converted.DataLength());
    return {"download", path, SlotText(step.slot), "--yes"};
}

// Up to three songs of the last backup.
QStringList CSoakRun::RestoreCommandLine(SStep &step)
{
    QStringList chosen;
    for (int n = 0, count = 1 + int(Draw(3)); n < count; ++n) {
        auto song = std::next(m_backup.begin(), long(Draw(uint32_t(m_backup.size()))));
        if (step.candidates.emplace(song->first, song->second).second)
            chosen << SlotText(song->first);
    }
    return {"restore", m_folder.filePath("backup"), "--slots", chosen.join(','), "--yes"};
}

int CSoakRun::BackupRequests() const
{
    size_t bytes = 0;
    for (const Bytes &song : m_slots)
        bytes += song.size();
    return 4 * PageCount(bytes);
}

// A folder with a manifest holds every song it lists, exactly as the model has it; a backup that
// reported success lists every song. One that found a slot damaged lists the others and fails.
bool CSoakRun::NoteBackup(int status)
{
    m_backup.clear();
    QFile file(m_folder.filePath("backup/manifest.json"));
    if (!file.open(QIODevice::ReadOnly))
        return status != 0 || Fail("a backup reported success without its manifest");
    SBackupManifest manifest;
    QString errorText;
    if (!ParseManifest(file.readAll(), manifest, errorText))
        return Fail("the backup's manifest does not parse: " + errorText);
    for (const SBackupSong &song : manifest.songs)
        m_backup[song.slot] = m_slots[song.slot];
    const bool complete = manifest.damaged.empty() &&
                          size_t(std::count_if(m_slots.begin(), m_slots.end(), [](const Bytes &song) {
                              return !song.empty();
                          })) == m_backup.size();
    if ((status == 0) != complete)
        return Fail(QStringLiteral("backup exited %1 with %2 songs and %3 damaged slots: %4")
                        .arg(status)
                        .arg(m_backup.size())
                        .arg(manifest.damaged.size())
                        .arg(m_strCommandOutput));
    return true;
}

bool CSoakRun::CarryCommandLine(SStep &step)
{
    QStringList arguments;
    int requests = CONNECT_REQUESTS + m_nLoadRequests;
    if (step.operation == OP_CLI_DOWNLOAD) {
        arguments = DownloadCommandLine(step);
    } else if (step.operation == OP_CLI_DELETE) {
        step.candidates[step.slot] = Bytes();
        arguments = QStringList{"delete", SlotText(step.slot), "--yes"};
    } else if (step.operation == OP_CLI_BACKUP) {
        // Whatever backup is there afterwards, this one wrote.
        QDir(m_folder.filePath("backup")).removeRecursively();
        arguments = QStringList{"backup", m_folder.filePath("backup")};
        requests += BackupRequests();
    } else {
        arguments = RestoreCommandLine(step);
    }
    for (const auto &candidate : step.candidates)
        requests += 3 * PageCount(candidate.second.size());
    Disturb(requests);
    const int status = RunCommandLine(arguments);
    step.succeeded = status == 0;
    const bool deletingSong = step.operation == OP_CLI_DELETE && !m_slots[step.slot].empty();
    // Not finding the looper at all is the machine's load (a 200 ms probe), not the delete.
    if (!m_bDisturbed && deletingSong && !step.succeeded && status != EXIT_NO_DEVICE)
        return Fail("delete failed without a fault: " + m_strCommandOutput);
    return step.operation != OP_CLI_BACKUP || NoteBackup(status);
}
