#pragma once

#include "CStoreRig.h"

#include <QString>
#include <QTemporaryDir>

#include <map>
#include <random>

struct SSoakFigures {
    int ops = 0;
    int cuts = 0;
    int faults = 0;
    // Songs lost where no loss is allowed, and cuts in the loss windows with what they cost there:
    // songs lost, or slots left showing an earlier record of theirs.
    int lost = 0;
    int damaged = 0;
    int repaired = 0;
    int wrapCuts = 0;
    int wrapLost = 0;
    int wrapEarlier = 0;
    int flagCuts = 0;
    int commandLines = 0;
};

// Random downloads, deletes, uploads, backups and restores on one simulated looper, through the
// song table and through brindle-cli command lines, with single faults and power cuts followed by
// a fresh looper on the same flash, checked against a model of what each slot must hold.
class CSoakRun {
public:
    CSoakRun(uint32_t productId, uint32_t seed);
    // One line per operation on stderr, to follow a failing run up to its failure.
    void SetTrace(bool trace) { m_bTrace = trace; }
    // False at the first broken check; Failure() says which.
    bool Run(int ops);
    const SSoakFigures &Figures() const { return m_figures; }
    const QString &Failure() const { return m_failure; }

private:
    enum EOperation {
        OP_DOWNLOAD,
        OP_DELETE,
        OP_UPLOAD,
        OP_CLI_DOWNLOAD,
        OP_CLI_DELETE,
        OP_CLI_BACKUP,
        OP_CLI_RESTORE,
    };
    struct SStep {
        EOperation operation;
        uint32_t slot;
        // What each slot the operation writes holds once the operation has committed there.
        std::map<uint32_t, Bytes> candidates;
        // The slot whose FAT-block wrap the power cut landed in, or -1.
        int wrapSlot = -1;
        bool succeeded = false;
    };

    EOperation ChooseOperation(uint32_t slot);
    bool Step(bool readEverySlot);
    bool Carry(SStep &step);
    void Disturb(int expectedRequests);
    void NoteCut(SStep &step);
    bool Reload(const SStep &step, bool readEverySlot);
    bool LoadWithFault();
    bool CheckSlot(const SStep &step, uint32_t slot, bool readBytes);
    bool CheckLoaded(const SStep &step, uint32_t slot, bool readBytes);
    bool CheckRepaired(const SStep &step, uint32_t slot);
    bool AcceptEarlierRecord(const SStep &step, uint32_t slot, const Bytes &held, const char *what);
    bool CheckSucceeded(const SStep &step);
    void CountLoss(const SStep &step, uint32_t slot);
    bool Fail(const QString &why);
    void Trace(const SStep &step) const;
    Bytes NewSong();
    Bytes ReadSlot(uint32_t slot);
    uint32_t Draw(uint32_t below) { return below == 0 ? 0 : m_random() % below; }
    int PageCount(size_t bytes) const;

    // Command lines, run in this process against the same looper.
    bool CarryCommandLine(SStep &step);
    int RunCommandLine(const QStringList &arguments);
    QStringList DownloadCommandLine(SStep &step);
    QStringList RestoreCommandLine(SStep &step);
    int BackupRequests() const;
    bool NoteBackup(int status);

    CStoreRig m_rig;
    std::mt19937 m_random;
    std::vector<Bytes> m_slots;
    SSoakFigures m_figures;
    QString m_failure;
    uint32_t m_nNextSong = 1;
    bool m_bDisturbed = false;
    bool m_bReadOther = false;
    bool m_bTrace = false;
    QString m_strDisturbance;
    int m_nLoadRequests = 0;
    QTemporaryDir m_folder;
    // The songs of the last complete backup in m_folder, by slot.
    std::map<uint32_t, Bytes> m_backup;
    QString m_strCommandOutput;
};
