#include "CliTransferSummary.h"

#include "CLooperSongTable.h"
#include "FormatText.h"
#include "SongLength.h"

#include <cstdio>

namespace {
uint32_t SongBytes(const CLooperSongTable &table, uint32_t slot)
{
    const CLooperSongBase *store = table.Store(slot);
    return store && store->HasSong() ? store->GetSize() : 0;
}

// The flash keeps whole sample groups: a shorter tail is padded with silence, or on some layouts
// left out.
QString GroupChangeText(const CLooperSongTable &table, uint32_t given, uint32_t stored)
{
    const FlashGeometry &geometry = table.Geometry();
    if (stored > given)
        return QStringLiteral(", padded %1 of silence to whole sample groups")
            .arg(MillisecondsText(SongFrames(stored - given, geometry), geometry.sampleRate));
    if (stored < given)
        return QStringLiteral(", the last %1 left out to whole sample groups")
            .arg(MillisecondsText(SongFrames(given - stored, geometry), geometry.sampleRate));
    return QString();
}

void PrintLine(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}
} // namespace

void PrintStoredSong(const CLooperSongTable &table, uint32_t slot, const QString &strFile,
                     const QString &conversion, uint32_t unpaddedBytes)
{
    const uint32_t stored = SongBytes(table, slot);
    PrintLine(QStringLiteral("Stored '%1' in slot %2: %3, %4%5")
                  .arg(strFile)
                  .arg(slot + 1)
                  .arg(SongLengthText(stored, table.Geometry()), conversion,
                       GroupChangeText(table, unpaddedBytes, stored)));
}

void PrintSavedSong(const CLooperSongTable &table, uint32_t slot, const QString &strFile,
                    const QString &conversion)
{
    PrintLine(QStringLiteral("Saved slot %1 as '%2': %3, %4")
                  .arg(slot + 1)
                  .arg(strFile, SongLengthText(SongBytes(table, slot), table.Geometry()), conversion));
}
