#pragma once

#include <QByteArray>
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

    // Fills failure with message, whose one %s is the file's name, and returns false.
    static bool Refuse(SFileFailure &failure, const char *message, const QByteArray &name,
                       bool layout = false)
    {
        failure = SFileFailure();
        failure.text = QString::asprintf(message, name.constData());
        failure.layoutRefused = layout;
        return false;
    }
};
