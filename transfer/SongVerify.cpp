#include "SongVerify.h"

#include "CLooperSongTable.h"
#include "Messages.h"

#include <algorithm>
#include <memory>

namespace {
// The file-table store keeps whole groups only, so up to one group short of the written length
// is what the device was asked to hold.
bool StoredLengthFits(const CLooperSongTable &table, uint32_t stored, uint32_t length)
{
    const uint32_t group = table.Geometry().groupSize;
    return stored >= length || (group != 0 && stored == length / group * group);
}

uint32_t FirstDifference(const uint8_t *a, const uint8_t *b, uint32_t length)
{
    return uint32_t(std::mismatch(a, a + length, b).first - a);
}
} // namespace

bool VerifySongInSlot(CLooperSongTable &table, uint32_t slot, const uint8_t *written, uint32_t length,
                      QString &failureText)
{
    const CLooperSongBase *store = table.Store(slot);
    const uint32_t stored = store ? store->GetSize() : 0;
    if (!store || stored == 0 || !StoredLengthFits(table, stored, length)) {
        failureText = QStringLiteral("Verify failed: slot %1 holds %2 bytes of the %3 written")
                          .arg(slot + 1)
                          .arg(stored)
                          .arg(length);
        return false;
    }
    std::unique_ptr<uint8_t[]> readBack(new uint8_t[stored]);
    const int32_t result = table.ReadSong(slot, readBack.get(), stored, nullptr);
    if (result != RESULT_OK) {
        failureText = ResultText(result);
        return false;
    }
    const uint32_t compared = std::min(stored, length);
    const uint32_t offset = FirstDifference(readBack.get(), written, compared);
    if (offset == compared)
        return true;
    failureText = QStringLiteral("Verify failed: slot %1 differs from the written song at byte offset %2")
                      .arg(slot + 1)
                      .arg(offset);
    return false;
}
