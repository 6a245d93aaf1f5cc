#include "RegularFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const char *const NOT_REGULAR = "not a regular file";
} // namespace

QString SystemErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

int OpenRegularFile(const QString &strPath, QString &reason)
{
    const QByteArray name = QFile::encodeName(strPath);
    struct stat before = {};
    if (::stat(name.constData(), &before) != 0) {
        reason = SystemErrorText(errno);
        return -1;
    }
    if (!S_ISREG(before.st_mode)) {
        reason = NOT_REGULAR;
        return -1;
    }
    // Non-blocking: a FIFO put in the file's place since the stat cannot hold the open either.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = SystemErrorText(errno);
        return -1;
    }
    struct stat opened = {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        reason = NOT_REGULAR;
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}
