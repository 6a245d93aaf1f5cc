#pragma once

#include "CStoreRig.h"

#include <QString>

#include <random>

struct SSoakFigures {
    int ops = 0;
    int cuts = 0;
    int faults = 0;
    // Songs lost where no loss is allowed, and cuts in the loss windows with the songs lost there.
    int lost = 0;
    int damaged = 0;
    int repaired = 0;
    int wrapCuts = 0;
    int wrapLost = 0;
    int flagCuts = 0;
};

// Random downloads, deletes and uploads on one simulated looper, with single faults and power cuts
// followed by a fresh looper on the same flash, checked against a model of what each slot must hold.
class CSoakRun {
public:
    CSoakRun(uint32_t productId, uint32_t seed);
    // False at the first broken check; Failure() says which.
    bool Run(int ops);
    const SSoakFigures &Figures() const { return m_figures; }
    const QString &Failure() const { return m_failure; }

private:
    enum EOperation { OP_DOWNLOAD, OP_DELETE, OP_UPLOAD };
    struct SStep {
        EOperation operation;
        uint32_t slot;
        Bytes candidate; // what the slot holds once the operation has committed
        bool inWrap = false;
    };

    bool Step(bool readEverySlot);
    int32_t Carry(SStep &step);
    void Disturb(int expectedRequests);
    void NoteCut(SStep &step);
    bool CheckSlot(const SStep &step, uint32_t slot, bool readBytes);
    bool CheckLoaded(const SStep &step, uint32_t slot, bool readBytes);
    bool CountLoss(const SStep &step, uint32_t slot);
    bool Fail(const QString &why);
    Bytes NewSong();
    Bytes ReadSlot(uint32_t slot);
    uint32_t Draw(uint32_t below) { return below == 0 ? 0 : m_random() % below; }

    CStoreRig m_rig;
    std::mt19937 m_random;
    std::vector<Bytes> m_slots;
    SSoakFigures m_figures;
    QString m_failure;
    uint32_t m_nNextSong = 1;
    bool m_bDisturbed = false;
    bool m_bReadOther = false;
};
