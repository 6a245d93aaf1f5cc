#include "SnapshotChoice.h"

#include "CBackupSnapshots.h"
#include "SnapshotText.h"

#include <QInputDialog>

bool AskSnapshot(QWidget *pParent, const QString &strFolder, QString &strId)
{
    strId.clear();
    CBackupSnapshots snapshots;
    if (!snapshots.Open(strFolder) || snapshots.All().size() < 2)
        return true;
    const std::vector<SBackupManifest> &all = snapshots.All();
    QStringList lstItems;
    for (size_t k = all.size(); k-- > 0;)
        lstItems << SnapshotLine(all[k], k ? &all[k - 1] : nullptr);
    bool bChosen = false;
    const QString strItem =
        QInputDialog::getItem(pParent, QStringLiteral("Restore from backup"),
                              QStringLiteral("Snapshot to restore:"), lstItems, 0, false, &bChosen);
    const int nIndex = lstItems.indexOf(strItem);
    if (!bChosen || nIndex < 0)
        return false;
    if (nIndex > 0)
        strId = all[all.size() - 1 - size_t(nIndex)].created;
    return true;
}
