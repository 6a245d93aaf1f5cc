#pragma once

#include <QString>

class QWidget;

// Asks which snapshot of a backup folder to restore when it holds more than one: a list of them,
// newest first and chosen. False when cancelled. `strId` receives the chosen snapshot's ID, empty
// for the newest (also when the folder is no backup: the restore's checks then say why).
bool AskSnapshot(QWidget *pParent, const QString &strFolder, QString &strId);
