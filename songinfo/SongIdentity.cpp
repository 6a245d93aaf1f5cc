#include "SSongIdentity.h"

#include "ByteOrder.h"
#include "CLooperSongTable.h"
#include "ResultCodes.h"

#include <QCryptographicHash>

QString SSongIdentity::Key() const
{
    return QStringLiteral("%1-%2").arg(productId).arg(QString::fromLatin1(digest.toHex()));
}

SSongIdentity SongIdentityOf(const CLooperSongTable &table, uint32_t productId, uint32_t slot)
{
    const CLooperSongBase *store = table.Store(slot);
    if (!store || table.SlotLoadResult(slot) != RESULT_OK || !store->HasSong())
        return SSongIdentity();
    const std::vector<uint8_t> record = store->RecordBytes();
    if (record.empty())
        return SSongIdentity();
    uint8_t place[8];
    PutLE32(place, store->InfoBlock());
    PutLE32(place + 4, uint32_t(store->FatPage()));
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(reinterpret_cast<const char *>(place), sizeof(place));
    hash.addData(reinterpret_cast<const char *>(record.data()), int(record.size()));
    SSongIdentity identity;
    identity.productId = productId;
    identity.digest = hash.result();
    return identity;
}
