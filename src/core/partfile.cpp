#include "core/partfile.h"

#include "core/modmain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/backgroundwork.h"
#include "core/corelog.h"

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

// Gives the part the final name only while nothing holds that name: a
// file, a link or anything else there is never replaced, even when it
// appears a moment before the rename. Where the file system cannot rename
// that way, a second link to the part does the same; where it has no links
// either, the name is looked at just before the rename.
bool RenameIfFree(const QByteArray &partPath, const QByteArray &finalPath)
{
    if (::renameat2(AT_FDCWD, partPath.constData(), AT_FDCWD, finalPath.constData(),
                    RENAME_NOREPLACE)
        == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    if (::link(partPath.constData(), finalPath.constData()) == 0) {
        ::unlink(partPath.constData());
        return true;
    }
    if (errno == EEXIST)
        return false;
    struct stat taken {};
    if (::lstat(finalPath.constData(), &taken) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(partPath.constData(), finalPath.constData()) == 0;
}

// A rename lives in its directory: until that is written out, a power
// failure can still undo it.
void SyncDirectory(const QByteArray &directoryPath, const PartFile::SyncFunction &sync)
{
    const int fd = ::open(directoryPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    sync(fd);
    ::close(fd);
}

// Everything Commit's worker reads, copied so that the calling thread may
// go on with its events.
struct CommitJob
{
    int fd;
    QByteArray partPath;
    // The final name first, then the numbered ones to take in turn when it
    // is taken.
    QList<QByteArray> finalPaths;
    QByteArray directoryPath;
    PartFile::SyncFunction sync;
};

struct CommitOutcome
{
    enum class Failure { None, Write, Rename };
    Failure failure = Failure::None;
    int iErrno = 0;
    qsizetype iName = 0; // the name in CommitJob::finalPaths the file took
};

// The steps that must strictly follow one another: the data is on disk
// before the part takes the final name, so no crash can leave a name that
// holds less than the whole file.
CommitOutcome WriteOutAndRename(const CommitJob &job)
{
    int iErrno = 0;
    errno = 0;
    if (job.sync(job.fd) != 0)
        iErrno = errno ? errno : EIO;
    // Some file systems report a failed write only when the file is closed.
    if (::close(job.fd) != 0 && errno != EINTR && iErrno == 0)
        iErrno = errno;
    if (iErrno != 0) {
        ::unlink(job.partPath.constData());
        return {CommitOutcome::Failure::Write, iErrno, 0};
    }
    for (qsizetype i = 0; i < job.finalPaths.size(); ++i) {
        if (RenameIfFree(job.partPath, job.finalPaths.at(i))) {
            // The file is in place whether or not this succeeds; a failure
            // here only means the rename may not outlive a power failure.
            SyncDirectory(job.directoryPath, job.sync);
            return {CommitOutcome::Failure::None, 0, i};
        }
        if (errno != EEXIST)
            break;
    }
    iErrno = errno;
    ::unlink(job.partPath.constData());
    return {CommitOutcome::Failure::Rename, iErrno, 0};
}

} // namespace

PartFile::PartFile()
    : PartFile(::fsync)
{
}

PartFile::PartFile(SyncFunction sync)
    : m_sync(sync ? std::move(sync) : SyncFunction(::fsync))
{
}

PartFile::~PartFile()
{
    Discard();
}

bool PartFile::Fail(const QString &sWhat, int iErrno)
{
    m_sError = sWhat + QLatin1StringView(": ") + QString::fromLocal8Bit(std::strerror(iErrno));
    return false;
}

void PartFile::Aim(const QString &sFinalPath)
{
    Discard();
    m_sError.clear();
    m_sFinalPath = sFinalPath;
    m_partPath = QFile::encodeName(PartPath());
}

bool PartFile::Open(const QString &sFinalPath)
{
    Aim(sFinalPath);
    struct stat finalStat {};
    // A folder, device, pipe or socket under the name means the caller aimed
    // at something that is no file: refused now, before any transfer. (A
    // file or link there is left alone too; Commit numbers the new file.)
    if (::lstat(QFile::encodeName(sFinalPath).constData(), &finalStat) == 0
        && !S_ISREG(finalStat.st_mode) && !S_ISLNK(finalStat.st_mode))
        return Fail(QStringLiteral("Cannot replace %1").arg(sFinalPath),
                    S_ISDIR(finalStat.st_mode) ? EISDIR : EPERM);

    // A part left by an interrupted transfer is removed first; unlink removes
    // a link itself, never what it points to. Whatever cannot be removed
    // makes the exclusive open fail, so nothing is ever written through it.
    ::unlink(m_partPath.constData());
    PartOrigin::Remove(-1, PartPath());
    m_fd = ::open(m_partPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  0666);
    if (m_fd < 0)
        return Fail(QStringLiteral("Cannot create %1").arg(PartPath()), errno);
    m_lSize = 0;
    return true;
}

bool PartFile::Continue(const QString &sFinalPath)
{
    Aim(sFinalPath);
    const int fd = ::open(m_partPath.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    // A second name would make the part someone else's file as well.
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1
        || ::lseek(fd, 0, SEEK_END) != st.st_size) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_lSize = st.st_size;
    return true;
}

bool PartFile::Truncate(qint64 lSize)
{
    if (!IsOpen() || ::ftruncate(m_fd, lSize) != 0 || ::lseek(m_fd, lSize, SEEK_SET) != lSize)
        return Fail(QStringLiteral("Cannot write %1").arg(PartPath()), IsOpen() ? errno : EBADF);
    m_lSize = lSize;
    return true;
}

PartOrigin PartFile::Origin() const
{
    return IsOpen() ? PartOrigin::Read(m_fd, PartPath(), m_recordPlace) : PartOrigin();
}

bool PartFile::SetOrigin(const PartOrigin &origin)
{
    if (!IsOpen())
        return Fail(QStringLiteral("Cannot write %1").arg(PartPath()), EBADF);
    // A part whose answer gave no validator can never be continued: no
    // record at all says so best, and leaves no stale one behind.
    if (origin.sValidator.isEmpty()) {
        PartOrigin::Remove(m_fd, PartPath());
        return true;
    }
    // Without its record the part is only never continued: the transfer
    // itself goes on.
    QString sError;
    if (!origin.Write(m_fd, PartPath(), m_recordPlace, &sError)) {
        qCWarning(lcCore, "%s cannot be resumed later: %s", qPrintable(PartPath()),
                  qPrintable(sError));
        PartOrigin::Remove(m_fd, PartPath());
    }
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
        m_lSize += iWritten;
    }
    return true;
}

bool PartFile::WriteAt(qint64 lAt, const char *pData, qint64 lBytes)
{
    if (!IsOpen())
        return Fail(QStringLiteral("Cannot write %1").arg(PartPath()), EBADF);
    while (lBytes > 0) {
        const ssize_t iWritten = ::pwrite(m_fd, pData, static_cast<size_t>(lBytes), lAt);
        if (iWritten < 0 && errno == EINTR)
            continue;
        if (iWritten <= 0)
            return Fail(QStringLiteral("Cannot write %1").arg(PartPath()), iWritten < 0 ? errno : EIO);
        pData += iWritten;
        lBytes -= iWritten;
        lAt += iWritten;
        m_lSize = qMax(m_lSize, lAt);
    }
    return true;
}

bool PartFile::Flush()
{
    errno = 0;
    if (!IsOpen() || m_sync(m_fd) != 0)
        return Fail(QStringLiteral("Cannot write %1").arg(PartPath()), IsOpen() && errno ? errno : EIO);
    return true;
}

bool PartFile::Commit()
{
    if (!IsOpen())
        return Fail(QStringLiteral("Cannot write %1").arg(PartPath()), EBADF);
    // The finished file carries no record of where its part came from.
    PartOrigin::Remove(m_fd, PartPath());
    const QFileInfo final(m_sFinalPath);
    QStringList names{m_sFinalPath};
    for (int iNumber = 2; iNumber <= kLastNumber; ++iNumber)
        names << final.dir().filePath(modMain::NumberedFileName(final.fileName(), iNumber));
    CommitJob job{m_fd, m_partPath, {}, QFile::encodeName(final.path()), m_sync};
    for (const QString &sName : std::as_const(names))
        job.finalPaths << QFile::encodeName(sName);
    m_fd = -1;
    CommitOutcome outcome;
    RunWhileProcessingEvents([&job, &outcome] { outcome = WriteOutAndRename(job); });
    switch (outcome.failure) {
    case CommitOutcome::Failure::None:
        m_sFinalPath = names.at(outcome.iName);
        m_partPath = QFile::encodeName(PartPath());
        return true;
    case CommitOutcome::Failure::Write:
        return Fail(QStringLiteral("Cannot write %1").arg(PartPath()), outcome.iErrno);
    case CommitOutcome::Failure::Rename:
        return Fail(QStringLiteral("Cannot replace %1").arg(m_sFinalPath), outcome.iErrno);
    }
    return false;
}

void PartFile::Discard()
{
    if (!IsOpen())
        return;
    ::unlink(m_partPath.constData());
    PartOrigin::Remove(-1, PartPath());
    CloseInBackground(m_fd);
    m_fd = -1;
}

void PartFile::Keep()
{
    if (!IsOpen())
        return;
    // The name still holds the data, so closing frees nothing and is quick.
    ::close(m_fd);
    m_fd = -1;
}

PartOrigin PartFile::KeptOrigin(const QString &sFinalPath)
{
    const QString sPart = PartPathFor(sFinalPath);
    const int fd = ::open(QFile::encodeName(sPart).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return {};
    const PartOrigin origin = PartOrigin::Read(fd, sPart);
    ::close(fd);
    return origin;
}

void PartFile::RemoveKept(const QString &sFinalPath)
{
    const QString sPart = PartPathFor(sFinalPath);
    ::unlink(QFile::encodeName(sPart).constData());
    PartOrigin::Remove(-1, sPart);
}
