#include "SongListMenu.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <QTimer>

QStringList ChooseFromSongListMenu(QListWidget *pList, int nRow, const QString &strAction)
{
    QStringList offered;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *pMenu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!pMenu)
            return;
        poll.stop();
        for (QAction *pItem : pMenu->actions()) {
            if (pItem->isSeparator())
                continue;
            offered << (pItem->isEnabled() ? "" : "-") + pItem->text();
            if (pItem->text() == strAction && pItem->isEnabled())
                pMenu->setActiveAction(pItem);
        }
        if (pMenu->activeAction())
            QTest::keyClick(pMenu, Qt::Key_Return);
        else
            pMenu->close();
    });
    poll.start(20);
    const QPoint pos = pList->visualItemRect(pList->item(nRow)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, pList->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(pList->viewport(), &event);
    return offered;
}
