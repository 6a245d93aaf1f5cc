#pragma once

#include <QString>

class QWidget;

// Asks where to save a file. A name typed without an extension gets the one of the type chosen in
// the dialog before the dialog checks whether that file exists, so an existing file is never
// replaced without the question. Empty when cancelled.
QString AskSaveFileName(QWidget *parent, const QString &title, const QString &proposed,
                        const QString &filters);
// Asks for a folder; a name typed for a folder that does not exist yet is made (in a folder that
// does), as a new backup wants. Empty when cancelled.
QString AskFolder(QWidget *parent, const QString &title, const QString &start);
