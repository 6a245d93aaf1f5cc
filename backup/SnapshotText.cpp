#include "SnapshotText.h"

#include <QStringList>

#include <map>
#include <vector>

namespace {
// "1-3, 7" for slots 0, 1, 2 and 6 (in increasing order).
QString SlotRanges(const std::vector<uint32_t> &slots)
{
    QStringList ranges;
    for (size_t k = 0; k < slots.size();) {
        size_t end = k;
        while (end + 1 < slots.size() && slots[end + 1] == slots[end] + 1)
            ++end;
        ranges << (end == k ? QString::number(slots[k] + 1)
                            : QStringLiteral("%1-%2").arg(slots[k] + 1).arg(slots[end] + 1));
        k = end + 1;
    }
    return ranges.join(", ");
}

std::map<uint32_t, QString> SongsBySlot(const SBackupManifest &manifest)
{
    std::map<uint32_t, QString> songs;
    for (const SBackupSong &song : manifest.songs)
        songs[song.slot] = song.sha256;
    return songs;
}

QString SnapshotChanges(const SBackupManifest &snapshot, const SBackupManifest *previous)
{
    if (!previous)
        return QStringLiteral("first snapshot");
    const std::map<uint32_t, QString> now = SongsBySlot(snapshot);
    const std::map<uint32_t, QString> before = SongsBySlot(*previous);
    std::vector<uint32_t> changed, added, removed;
    for (const auto &song : now) {
        const auto old = before.find(song.first);
        if (old == before.end())
            added.push_back(song.first);
        else if (old->second != song.second)
            changed.push_back(song.first);
    }
    for (const auto &song : before) {
        if (now.count(song.first) == 0)
            removed.push_back(song.first);
    }
    QStringList parts;
    const std::pair<const char *, const std::vector<uint32_t> &> lists[] = {
        {"changed", changed}, {"added", added}, {"removed", removed}};
    for (const auto &list : lists) {
        if (!list.second.empty())
            parts << QStringLiteral("%1 %2").arg(QLatin1String(list.first), SlotRanges(list.second));
    }
    return parts.isEmpty() ? QStringLiteral("no change") : parts.join("; ");
}
} // namespace

QString SnapshotLine(const SBackupManifest &snapshot, const SBackupManifest *previous)
{
    const QString model =
        snapshot.model.isEmpty() ? QStringLiteral("product id %1").arg(snapshot.productId) : snapshot.model;
    const int count = int(snapshot.songs.size());
    QString line = QStringLiteral("%1  %2  %3 %4  %5")
                       .arg(snapshot.created, model)
                       .arg(count)
                       .arg(count == 1 ? "song" : "songs", SnapshotChanges(snapshot, previous));
    if (!snapshot.damaged.empty())
        line += QStringLiteral("  (%1 damaged, not backed up)").arg(snapshot.damaged.size());
    return line;
}
