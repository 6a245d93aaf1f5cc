#pragma once

#include "SSongIdentity.h"

#include <QJsonObject>
#include <QString>

// The names users give their songs. The looper has no place for them, so they are kept on the
// computer, in one JSON file keyed by model and song identity: a name follows its song, and a new
// song in the same slot starts unnamed.
//
//   {"format": "brindle-names", "version": 1, "names": {"10002-<sha256 hex>": "Drum loop"}}
//
// The file is written under a temporary name, synced and renamed. A file that cannot be read as
// such is ignored when names are looked up and is never overwritten: SetName refuses and says so.
class CSongNames {
public:
    static const int MAX_LENGTH = 100;

    // $XDG_DATA_HOME/brindle/names.json (~/.local/share/brindle/names.json by default).
    static QString DefaultPath();

    explicit CSongNames(const QString &path = DefaultPath());

    // The song's name; empty when it has none.
    QString Name(const SSongIdentity &identity) const;
    // Names the song (spaces and control characters folded, at most MAX_LENGTH characters), or takes
    // its name away with an empty text. False with a message when the file could not be written.
    bool SetName(const SSongIdentity &identity, const QString &name, QString &errorText);
    // Takes the name away, quietly: for a song that was deleted or replaced.
    void Forget(const SSongIdentity &identity);
    // The name of `from`, if it has one, goes to `to`, quietly: the song's record was moved.
    void Move(const SSongIdentity &from, const SSongIdentity &to);

private:
    enum ELoad { LOAD_OK, LOAD_MISSING, LOAD_UNREADABLE };
    ELoad Load(QJsonObject &names) const;
    bool Save(const QJsonObject &names, QString &errorText) const;

    QString m_strPath;
};

// A name as it is kept: control characters become blanks, runs of blanks one, none at either end.
QString CleanSongName(const QString &name);
