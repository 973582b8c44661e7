#include "core/partfile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

PartFile::~PartFile()
{
    Discard();
}

bool PartFile::Fail(const QString &sWhat, int iErrno)
{
    m_sError = sWhat + QLatin1StringView(": ") + QString::fromLocal8Bit(std::strerror(iErrno));
    return false;
}

bool PartFile::Open(const QString &sFinalPath)
{
    Discard();
    m_sError.clear();
    m_sFinalPath = sFinalPath;
    m_partPath = QFile::encodeName(PartPath());
    struct stat finalStat {};
    // Only a file or a link is ever replaced: a folder could not be, and a
    // device, pipe or socket under that name is none of the program's files.
    // Finding out now also saves a transfer that would be thrown away.
    if (::lstat(QFile::encodeName(sFinalPath).constData(), &finalStat) == 0
        && !S_ISREG(finalStat.st_mode) && !S_ISLNK(finalStat.st_mode))
        return Fail(QStringLiteral("Cannot replace %1").arg(sFinalPath),
                    S_ISDIR(finalStat.st_mode) ? EISDIR : EPERM);

    // A part left by an interrupted transfer is removed first; unlink removes
    // a link itself, never what it points to. Whatever cannot be removed
    // makes the exclusive open fail, so nothing is ever written through it.
    ::unlink(m_partPath.constData());
    m_fd = ::open(m_partPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  0666);
    if (m_fd < 0)
        return Fail(QStringLiteral("Cannot create %1").arg(PartPath()), errno);
    return true;
}

bool PartFile::Write(const char *pData, qint64 lBytes)
{
    if (!IsOpen())
        return Fail(QStringLiteral("Cannot write %1").arg(PartPath()), EBADF);
    while (lBytes > 0) {
        const ssize_t iWritten = ::write(m_fd, pData, static_cast<size_t>(lBytes));
        if (iWritten < 0) {
            if (errno == EINTR)
                continue;
            return Fail(QStringLiteral("Cannot write %1").arg(PartPath()), errno);
        }
        pData += iWritten;
        lBytes -= iWritten;
    }
    return true;
}

bool PartFile::Commit()
{
    if (!IsOpen())
        return Fail(QStringLiteral("Cannot write %1").arg(PartPath()), EBADF);
    const int fd = m_fd;
    m_fd = -1;
    // Some file systems report a failed write only when the file is closed.
    if (::close(fd) != 0 && errno != EINTR) {
        const int iErrno = errno;
        ::unlink(m_partPath.constData());
        return Fail(QStringLiteral("Cannot write %1").arg(PartPath()), iErrno);
    }
    if (::rename(m_partPath.constData(), QFile::encodeName(m_sFinalPath).constData()) != 0) {
        const int iErrno = errno;
        ::unlink(m_partPath.constData());
        return Fail(QStringLiteral("Cannot replace %1").arg(m_sFinalPath), iErrno);
    }
    return true;
}

void PartFile::Discard()
{
    if (!IsOpen())
        return;
    ::close(m_fd);
    m_fd = -1;
    ::unlink(m_partPath.constData());
}
