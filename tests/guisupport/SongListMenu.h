#pragma once

#include <QString>
#include <QStringList>

class QListWidget;

// Opens the song list's context menu on a row, as a right click does, and picks the named action
// when it is enabled (the menu is closed otherwise). Returns the menu's actions, disabled ones
// marked with a leading '-'; separators are left out.
QStringList ChooseFromSongListMenu(QListWidget *pList, int nRow, const QString &strAction);
