#include "CSafeFolder.h"

#include "RegularFile.h"
#include "WholeFileIo.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const mode_t FILE_MODE = 0666;
const mode_t FOLDER_MODE = 0777;
const qint64 CHUNK_BYTES = 1 << 20;
const char *const PART_SUFFIX = ".part";

QByteArray Native(const QString &name)
{
    return QFile::encodeName(name);
}
} // namespace

CSafeFolder::~CSafeFolder()
{
    Close();
}

void CSafeFolder::Close()
{
    if (m_nFd >= 0)
        ::close(m_nFd);
    m_nFd = -1;
}

QString CSafeFolder::PathOf(const QString &name) const
{
    return name.isEmpty() ? m_strPath : QDir(m_strPath).filePath(name);
}

bool CSafeFolder::Fail(const QString &name, int error)
{
    // O_NOFOLLOW reports a link as a loop of links.
    return Fail(name, error == ELOOP ? QStringLiteral("it is a link, which is not followed here")
                                     : SystemErrorText(error));
}

bool CSafeFolder::Fail(const QString &name, const QString &reason)
{
    m_strError = QStringLiteral("%1: %2").arg(PathOf(name), reason);
    return false;
}

bool CSafeFolder::Open(const QString &path)
{
    Close();
    m_strPath = path;
    m_nFd = ::open(Native(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return m_nFd >= 0 || Fail(QString(), errno);
}

bool CSafeFolder::OpenChild(const CSafeFolder &parent, const QString &name, bool create)
{
    Close();
    m_strPath = parent.PathOf(name);
    if (create && ::mkdirat(parent.m_nFd, Native(name).constData(), FOLDER_MODE) != 0 && errno != EEXIST)
        return Fail(QString(), errno);
    m_nFd = ::openat(parent.m_nFd, Native(name).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    return m_nFd >= 0 || Fail(QString(), errno);
}

bool CSafeFolder::List(QStringList &names)
{
    names.clear();
    // A descriptor of its own: reading the entries moves its position.
    const int fd = ::openat(m_nFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *folder = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!folder) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        return Fail(QString(), error);
    }
    while (const dirent *entry = ::readdir(folder)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name != "." && name != "..")
            names << name;
    }
    ::closedir(folder);
    return true;
}

bool CSafeFolder::Exists(const QString &name) const
{
    struct stat info;
    return ::fstatat(m_nFd, Native(name).constData(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

bool CSafeFolder::IsFolder(const QString &name) const
{
    struct stat info;
    return ::fstatat(m_nFd, Native(name).constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISDIR(info.st_mode);
}

bool CSafeFolder::WriteFile(const QString &name, const QByteArray &head, const uint8_t *data, uint32_t length)
{
    const int fd = ::openat(m_nFd, Native(name).constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, FILE_MODE);
    if (fd < 0)
        return Fail(name, errno);
    bool written = WriteWhole(fd, head.constData(), size_t(head.size())) &&
                   WriteWhole(fd, data, size_t(length)) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written)
        return true;
    ::unlinkat(m_nFd, Native(name).constData(), 0);
    return Fail(name, error);
}

QString CSafeFolder::PartName(const QString &name)
{
    return name + PART_SUFFIX;
}

bool CSafeFolder::WriteFileAtomically(const QString &name, const QByteArray &bytes)
{
    const QString part = PartName(name);
    return WriteFile(part, bytes, nullptr, 0) && Move(part, *this, name) && Sync();
}

bool CSafeFolder::RegularFileSize(const QString &name, qint64 &size)
{
    struct stat info;
    if (::fstatat(m_nFd, Native(name).constData(), &info, 0) != 0)
        return Fail(name, errno);
    if (!S_ISREG(info.st_mode))
        return Fail(name, QStringLiteral("not a regular file"));
    size = info.st_size;
    return true;
}

// Opened without waiting, so that a FIFO put there since the size was taken cannot block. A size
// below 0 takes the file as it is.
int CSafeFolder::OpenRegular(const QString &name, qint64 size, int flags)
{
    const int fd =
        ::openat(m_nFd, Native(name).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | flags);
    if (fd < 0) {
        Fail(name, errno);
        return -1;
    }
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && (size < 0 || info.st_size == size))
        return fd;
    ::close(fd);
    Fail(name, QStringLiteral("it changed while it was read"));
    return -1;
}

bool CSafeFolder::ReadFile(const QString &name, qint64 size, QByteArray &bytes)
{
    return ReadPart(name, size, 0, size, bytes);
}

bool CSafeFolder::ReadPart(const QString &name, qint64 size, qint64 offset, qint64 length, QByteArray &bytes)
{
    bytes.clear();
    if (offset < 0 || length < 0 || offset + length > size)
        return Fail(name, QStringLiteral("it is shorter than it should be"));
    const int fd = OpenRegular(name, size, 0);
    if (fd < 0)
        return false;
    bytes.resize(int(length));
    const bool whole = ::lseek(fd, offset, SEEK_SET) == offset && ReadWhole(fd, bytes.data(), size_t(length));
    const int error = errno;
    ::close(fd);
    if (whole)
        return true;
    bytes.clear();
    // A read that ends early (errno 0) means the file was cut short meanwhile.
    return Fail(name, error ? SystemErrorText(error) : QStringLiteral("it changed while it was read"));
}

bool CSafeFolder::HashFile(const QString &name, qint64 offset, QString &sha256)
{
    const int fd = OpenRegular(name, -1, O_NOFOLLOW);
    if (fd < 0)
        return false;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray chunk(int(CHUNK_BYTES), '\0');
    bool ok = ::lseek(fd, offset, SEEK_SET) == offset;
    while (ok) {
        const ssize_t got = ::read(fd, chunk.data(), size_t(chunk.size()));
        if (got == 0)
            break;
        if (got > 0)
            hash.addData(chunk.constData(), int(got));
        else
            ok = errno == EINTR;
    }
    const int error = errno;
    ::close(fd);
    sha256 = QString::fromLatin1(hash.result().toHex());
    return ok || Fail(name, error);
}

bool CSafeFolder::IsRegularFile(const QString &name) const
{
    struct stat info;
    return ::fstatat(m_nFd, Native(name).constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(info.st_mode);
}

bool CSafeFolder::Move(const QString &name, const CSafeFolder &to, const QString &newName)
{
    if (::renameat(m_nFd, Native(name).constData(), to.m_nFd, Native(newName).constData()) == 0)
        return true;
    return Fail(name, errno);
}

bool CSafeFolder::Remove(const QString &name)
{
    if (::unlinkat(m_nFd, Native(name).constData(), 0) == 0 || errno == ENOENT)
        return true;
    return Fail(name, errno);
}

bool CSafeFolder::RemoveFolder(const QString &name)
{
    return ::unlinkat(m_nFd, Native(name).constData(), AT_REMOVEDIR) == 0 || Fail(name, errno);
}

// Some file systems cannot sync a folder and say EINVAL: their entries are as durable as they get.
bool CSafeFolder::Sync()
{
    return ::fsync(m_nFd) == 0 || errno == EINVAL || Fail(QString(), errno);
}
