#pragma once

#include <QString>

#include <cstddef>

// A new file written beside its target and put in the target's place only when it is complete, so
// that a failure (a full disk, a cancel, a crash) leaves the earlier file as it was. The temporary
// file is created exclusively and never through a link, and reaches the disk before the rename.
class CFileReplacement {
public:
    explicit CFileReplacement(const QString &strTarget);
    // Removes the temporary file unless it was committed.
    ~CFileReplacement();
    CFileReplacement(const CFileReplacement &) = delete;
    CFileReplacement &operator=(const CFileReplacement &) = delete;

    // False with the reason when the target is a link or not a regular file, or when its folder
    // cannot take a new file: the checks Open makes, for a caller that asks before long work.
    static bool CanReplace(const QString &strTarget, QString &reason);
    bool Open(QString &reason);
    // Writes all of the bytes, retrying short writes. After the first failure nothing more is
    // written and Commit fails with that failure's reason.
    bool Write(const void *data, size_t length);
    // A failure found by the caller (errno value): the file will not be committed.
    void Fail(int error);
    // The errno value of the first failure, 0 while there is none.
    int Error() const { return m_nError; }
    // The open file, for positioning and reading; writes go through Write.
    int Handle() const { return m_nHandle; }
    // Flushes the file to the disk and renames it over the target. False with the reason, the
    // temporary file removed and the target as it was.
    bool Commit(QString &reason);

private:
    void Discard();

    QString m_strTarget;
    QString m_strTemporary;
    int m_nHandle = -1;
    int m_nError = 0;
};
