#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

// A folder held open by its descriptor: every name is looked up inside it, whatever happens to its
// path meanwhile. Files are created exclusively and never through a link, written whole and synced
// to the disk; reads take regular files only (no FIFO, device, or link to one). A failure leaves a
// text that names the file and the reason.
class CSafeFolder {
public:
    CSafeFolder() = default;
    ~CSafeFolder();
    CSafeFolder(const CSafeFolder &) = delete;
    CSafeFolder &operator=(const CSafeFolder &) = delete;

    // The folder at path; a link to a folder is followed, as the user named it.
    bool Open(const QString &path);
    // The sub-folder `name` of parent, made first when `create` and missing; never through a link.
    bool OpenChild(const CSafeFolder &parent, const QString &name, bool create);
    void Close();
    bool IsOpen() const { return m_nFd >= 0; }
    QString PathOf(const QString &name) const;

    // The names of the folder's entries, without "." and "..".
    bool List(QStringList &names);
    // Whether anything (a link included) or a folder (not a link to one) lies at name.
    bool Exists(const QString &name) const;
    bool IsFolder(const QString &name) const;

    // Creates the file name, which must not exist yet, holding head then `length` bytes of data.
    bool WriteFile(const QString &name, const QByteArray &head, const uint8_t *data, uint32_t length);
    // Creates PartName(name), which must not exist yet, holding bytes, and renames it to name,
    // replacing what lies there, then syncs the folder: the file at name is always whole.
    bool WriteFileAtomically(const QString &name, const QByteArray &bytes);
    // The temporary name under which WriteFileAtomically writes name.
    static QString PartName(const QString &name);
    // The size of the regular file at name (a link to one is followed).
    bool RegularFileSize(const QString &name, qint64 &size);
    // Reads the regular file at name, which must still be `size` bytes long.
    bool ReadFile(const QString &name, qint64 size, QByteArray &bytes);
    // Reads `length` bytes from `offset` of the regular file at name, which must be `size` bytes long.
    bool ReadPart(const QString &name, qint64 size, qint64 offset, qint64 length, QByteArray &bytes);
    // Lower-case hex SHA-256 of what the regular file at name (not a link) holds from `offset` on.
    bool HashFile(const QString &name, qint64 offset, QString &sha256);
    // Whether a regular file (not a link to one) lies at name.
    bool IsRegularFile(const QString &name) const;
    // Moves name to newName in folder `to` on the same file system, replacing what lies there.
    bool Move(const QString &name, const CSafeFolder &to, const QString &newName);
    // Removes the file or link at name; one that is not there is no failure.
    bool Remove(const QString &name);
    // Removes the sub-folder name when it is empty.
    bool RemoveFolder(const QString &name);
    // Makes the folder's entries durable: the names of files created, moved or removed in it.
    bool Sync();
    QString ErrorText() const { return m_strError; }

private:
    // Opens the regular file at name for reading without waiting; -1 with the failure noted.
    int OpenRegular(const QString &name, qint64 size, int flags);
    bool Fail(const QString &name, int error);
    bool Fail(const QString &name, const QString &reason);

    int m_nFd = -1;
    QString m_strPath;
    QString m_strError;
};
