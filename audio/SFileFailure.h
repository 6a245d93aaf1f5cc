#pragma once

#include <QString>

// Why a file could not be used. The window shows `text` alone, as it always has; the command-line
// tool shows Detail(), which adds the file and the reason where the text names neither.
struct SFileFailure {
    QString text;
    QString path;
    QString reason;
    // The file is audio in a layout this reader does not take; another reader may.
    bool layoutRefused = false;

    QString Detail() const
    {
        return reason.isEmpty() ? text : QStringLiteral("%1 ('%2': %3)").arg(text, path, reason);
    }
};
