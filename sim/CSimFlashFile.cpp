#include "CSimFlashFile.h"

#include "CSimFlash.h"
#include "WholeFileIo.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A process that held the file may replace it by its save while this one waits to open it.
const int OPEN_ATTEMPTS = 3;

std::string Quoted(const std::string &path)
{
    return "the looper flash file " + path;
}

bool SameFile(int fd, const std::string &path)
{
    struct stat opened = {};
    struct stat named = {};
    return ::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

std::string RealPath(const std::string &path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}
} // namespace

CSimFlashFile::~CSimFlashFile()
{
    Close();
}

void CSimFlashFile::Close()
{
    if (m_nFd >= 0)
        ::close(m_nFd);
    m_nFd = -1;
}

bool CSimFlashFile::Open(const std::string &path, CSimFlash &flash, std::string &errorText)
{
    Close();
    if (!OpenLocked(path, errorText))
        return false;
    m_strPath = RealPath(path);
    if (Load(flash, errorText))
        return true;
    Close();
    return false;
}

bool CSimFlashFile::OpenLocked(const std::string &path, std::string &errorText)
{
    for (int attempt = 0; attempt < OPEN_ATTEMPTS; ++attempt) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) {
            errorText = Quoted(path) + " cannot be opened: " + std::strerror(errno);
            return false;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            errorText = error == EWOULDBLOCK
                            ? Quoted(path) + " is in use by another program; close it and try again"
                            : Quoted(path) + " cannot be locked: " + std::strerror(error);
            return false;
        }
        if (SameFile(fd, path)) {
            m_nFd = fd;
            return true;
        }
        ::close(fd);
    }
    errorText = Quoted(path) + " keeps being replaced by another program; close it and try again";
    return false;
}

bool CSimFlashFile::Load(CSimFlash &flash, std::string &errorText)
{
    struct stat info = {};
    if (::fstat(m_nFd, &info) != 0 || !S_ISREG(info.st_mode)) {
        errorText = Quoted(m_strPath) + " is not a regular file";
        return false;
    }
    m_bNew = info.st_size == 0;
    std::string reason;
    if (m_bNew || flash.Load(m_nFd, uint64_t(info.st_size), reason))
        return true;
    errorText = Quoted(m_strPath) + " cannot be used: " + reason + "; remove or rename it to start afresh";
    return false;
}

std::string CSimFlashFile::SaveFailure(const std::string &where, int error) const
{
    return "the looper's flash could not be saved to " + m_strPath + " (" + where + ": " +
           std::strerror(error) + ")";
}

bool CSimFlashFile::Save(const CSimFlash &flash, std::string &errorText)
{
    if (m_nFd < 0) {
        errorText = "the looper's flash has no file to be saved to";
        return false;
    }
    const std::string part = m_strPath + ".part";
    // Only the holder of the lock writes the part file: one left by a crash goes first.
    if (::unlink(part.c_str()) != 0 && errno != ENOENT) {
        errorText = SaveFailure(part, errno);
        return false;
    }
    const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        errorText = SaveFailure(part, errno);
        return false;
    }
    struct stat old = {};
    const bool written = ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(m_nFd, &old) == 0 &&
                         ::fchmod(fd, old.st_mode & 07777) == 0 && flash.Save(fd) && ::fsync(fd) == 0 &&
                         ::rename(part.c_str(), m_strPath.c_str()) == 0;
    if (!written) {
        errorText = SaveFailure(part, errno);
        ::unlink(part.c_str());
        ::close(fd);
        return false;
    }
    const size_t slash = m_strPath.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : m_strPath.substr(0, slash);
    SyncFolder(folder.c_str());
    ::close(m_nFd);
    m_nFd = fd;
    m_bNew = false;
    return true;
}
