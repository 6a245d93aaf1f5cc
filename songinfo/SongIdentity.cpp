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
    return SongIdentityAt(productId, table.SongPlace(slot));
}

SSongIdentity SongIdentityAt(uint32_t productId, const SSongPlace &place)
{
    if (!place.IsValid())
        return SSongIdentity();
    uint8_t where[8];
    PutLE32(where, place.infoBlock);
    PutLE32(where + 4, uint32_t(place.fatPage));
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(reinterpret_cast<const char *>(where), sizeof(where));
    hash.addData(reinterpret_cast<const char *>(place.record.data()), int(place.record.size()));
    SSongIdentity identity;
    identity.productId = productId;
    identity.digest = hash.result();
    return identity;
}
