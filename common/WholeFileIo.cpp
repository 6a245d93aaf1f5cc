#include "WholeFileIo.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

bool WriteWhole(int fd, const void *data, size_t length)
{
    const char *bytes = static_cast<const char *>(data);
    while (length > 0) {
        const ssize_t written = ::write(fd, bytes, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            errno = written == 0 ? ENOSPC : errno;
            return false;
        }
        bytes += written;
        length -= size_t(written);
    }
    return true;
}

bool ReadWhole(int fd, void *data, size_t length)
{
    char *bytes = static_cast<char *>(data);
    while (length > 0) {
        const ssize_t got = ::read(fd, bytes, length);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            errno = got == 0 ? 0 : errno;
            return false;
        }
        bytes += got;
        length -= size_t(got);
    }
    return true;
}

void SyncFolder(const char *path)
{
    const int folder = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return;
    ::fsync(folder);
    ::close(folder);
}
