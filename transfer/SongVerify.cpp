#include "SongVerify.h"

#include "CLooperSongTable.h"
#include "Messages.h"

#include <algorithm>
#include <vector>

bool VerifySongInSlot(CLooperSongTable &table, uint32_t slot, const uint8_t *written, uint32_t length,
                      QString &failureText)
{
    const CLooperSongBase *store = table.Store(slot);
    if (!store || !store->HasSong()) {
        failureText = QStringLiteral("the slot holds no song after the write");
        return false;
    }
    const uint32_t stored = store->GetSize();
    if (stored > length) {
        failureText = QStringLiteral("the slot holds %1 bytes, %2 were written").arg(stored).arg(length);
        return false;
    }
    std::vector<uint8_t> readBack(stored);
    const int32_t result = table.ReadSong(slot, readBack.data(), stored, nullptr);
    if (result != RESULT_OK) {
        failureText = ResultText(result);
        return false;
    }
    const auto difference = std::mismatch(readBack.begin(), readBack.end(), written);
    if (difference.first == readBack.end())
        return true;
    failureText = QStringLiteral("byte %1 differs").arg(difference.first - readBack.begin());
    return false;
}
