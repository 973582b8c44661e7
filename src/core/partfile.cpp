#include "core/partfile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Freeing the blocks of a large file happens when its last reference goes,
// inside that system call: half a second for a gigabyte here. Holding a
// reference while the name goes and dropping it on a thread of its own keeps
// that wait out of the event loop.
void CloseInBackground(int fd)
{
    if (fd < 0)
        return;
    try {
        std::thread([fd] { ::close(fd); }).detach();
    } catch (const std::system_error &) {
        ::close(fd);
    }
}

} // namespace

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
    const QByteArray finalPath = QFile::encodeName(m_sFinalPath);
    // O_PATH holds the old file without opening it for reading or writing.
    const int oldFd = ::open(finalPath.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    const bool bRenamed = ReplaceFinal(finalPath);
    const int iErrno = errno;
    CloseInBackground(oldFd);
    if (!bRenamed) {
        ::unlink(m_partPath.constData());
        return Fail(QStringLiteral("Cannot replace %1").arg(m_sFinalPath), iErrno);
    }
    return true;
}

// ext4 writes out a file renamed over another one before the rename returns
// (so that a crash cannot leave an empty file): a quarter of a second for a
// gigabyte here, with the window frozen. Swapping the two names is just as
// atomic and is spared that; the old file then leaves under the part's name.
// A directory under the final name is never swapped away.
bool PartFile::ReplaceFinal(const QByteArray &finalPath) const
{
    struct stat old {};
    if (::lstat(finalPath.constData(), &old) == 0 && !S_ISDIR(old.st_mode)
        && ::renameat2(AT_FDCWD, m_partPath.constData(), AT_FDCWD, finalPath.constData(),
                       RENAME_EXCHANGE)
            == 0) {
        ::unlink(m_partPath.constData());
        return true;
    }
    return ::rename(m_partPath.constData(), finalPath.constData()) == 0;
}

void PartFile::Discard()
{
    if (!IsOpen())
        return;
    ::unlink(m_partPath.constData());
    CloseInBackground(m_fd);
    m_fd = -1;
}
