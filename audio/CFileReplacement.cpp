#include "CFileReplacement.h"

#include "RegularFile.h"
#include "WholeFileIo.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const int NAME_ATTEMPTS = 100;

QByteArray Encoded(const QString &strPath)
{
    return QFile::encodeName(strPath);
}
} // namespace

CFileReplacement::CFileReplacement(const QString &strTarget) : m_strTarget(strTarget) {}

CFileReplacement::~CFileReplacement()
{
    Discard();
}

bool CFileReplacement::CanReplace(const QString &strTarget, QString &reason)
{
    struct stat target = {};
    if (::lstat(Encoded(strTarget).constData(), &target) == 0) {
        if (S_ISLNK(target.st_mode)) {
            reason = QStringLiteral("a symbolic link; name the file it points to");
            return false;
        }
        if (!S_ISREG(target.st_mode)) {
            reason = QStringLiteral("not a regular file");
            return false;
        }
    }
    const QByteArray folder = Encoded(QFileInfo(strTarget).absolutePath());
    struct stat info = {};
    if (::stat(folder.constData(), &info) != 0 || ::access(folder.constData(), W_OK | X_OK) != 0) {
        reason = SystemErrorText(errno);
        return false;
    }
    return true;
}

bool CFileReplacement::Open(QString &reason)
{
    if (!CanReplace(m_strTarget, reason))
        return false;
    for (int attempt = 0; attempt < NAME_ATTEMPTS && m_nHandle < 0; ++attempt) {
        const QString name =
            QStringLiteral("%1.%2")
                .arg(m_strTarget)
                .arg(QRandomGenerator::global()->generate() & 0xFFFFFF, 6, 16, QLatin1Char('0'));
        // O_EXCL with O_CREAT never opens an existing name, a link included.
        const int handle =
            ::open(Encoded(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (handle >= 0) {
            m_nHandle = handle;
            m_strTemporary = name;
        } else if (errno != EEXIST) {
            reason = SystemErrorText(errno);
            return false;
        }
    }
    if (m_nHandle < 0) {
        reason = SystemErrorText(EEXIST);
        return false;
    }
    struct stat earlier = {};
    if (::stat(Encoded(m_strTarget).constData(), &earlier) == 0)
        ::fchmod(m_nHandle, earlier.st_mode & 07777);
    return true;
}

bool CFileReplacement::Write(const void *data, size_t length)
{
    if (m_nError == 0 && !WriteWhole(m_nHandle, data, length))
        Fail(errno);
    return m_nError == 0;
}

void CFileReplacement::Fail(int error)
{
    if (m_nError == 0)
        m_nError = error != 0 ? error : EIO;
}

bool CFileReplacement::Commit(QString &reason)
{
    if (m_nHandle < 0)
        Fail(EBADF);
    if (m_nError == 0 && ::fsync(m_nHandle) != 0)
        Fail(errno);
    if (m_nHandle >= 0 && ::close(m_nHandle) != 0)
        Fail(errno);
    m_nHandle = -1;
    if (m_nError == 0 &&
        std::rename(Encoded(m_strTemporary).constData(), Encoded(m_strTarget).constData()) != 0)
        Fail(errno);
    if (m_nError != 0) {
        reason = SystemErrorText(m_nError);
        Discard();
        return false;
    }
    m_strTemporary.clear();
    SyncFolder(Encoded(QFileInfo(m_strTarget).absolutePath()).constData());
    return true;
}

void CFileReplacement::Discard()
{
    if (m_nHandle >= 0)
        ::close(m_nHandle);
    m_nHandle = -1;
    if (!m_strTemporary.isEmpty())
        ::unlink(Encoded(m_strTemporary).constData());
    m_strTemporary.clear();
}
