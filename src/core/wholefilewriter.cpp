#include "core/wholefilewriter.h"

#include <QSaveFile>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

// Writers run on threads of their own (the list is written off the window's).
std::atomic<WholeFileWriter::WriteFunction> g_write{&::write};

QString ErrnoText(int iErrno)
{
    return QString::fromLocal8Bit(std::strerror(iErrno));
}

// Every byte to fd; 0, or the errno of the failure.
int WriteAll(int fd, const QByteArray &data)
{
    const char *pData = data.constData();
    size_t iLeft = size_t(data.size());
    const WholeFileWriter::WriteFunction write = g_write.load();
    while (iLeft > 0) {
        errno = 0;
        const ssize_t iWritten = write(fd, pData, iLeft);
        if (iWritten < 0 && errno == EINTR)
            continue;
        // A write that takes nothing and says nothing would loop for ever.
        if (iWritten <= 0)
            return errno ? errno : EIO;
        pData += iWritten;
        iLeft -= size_t(iWritten);
    }
    return 0;
}

// A file system that keeps no sync (some FUSE ones) has nothing to report
// there; its write errors showed on write.
bool CannotSync(int iErrno)
{
    return iErrno == EINVAL || iErrno == ENOSYS || iErrno == EOPNOTSUPP;
}

} // namespace

void WholeFileWriter::SetWriteFunction(WriteFunction write)
{
    g_write.store(write ? write : &::write);
}

bool WholeFileWriter::Write(const QString &sPath, const QByteArray &data, QString *pError)
{
    QString sError;
    QSaveFile file(sPath);
    // Writing in place would put a half-written file under the name.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        sError = file.errorString();
    } else {
        // Straight to the new file's descriptor, so that each failure is seen
        // where it happens, with its errno, rather than lost in a buffer.
        int iErrno = WriteAll(file.handle(), data);
        if (iErrno == 0 && ::fsync(file.handle()) != 0 && !CannotSync(errno))
            iErrno = errno;
        if (iErrno != 0) {
            sError = ErrnoText(iErrno);
            file.cancelWriting();
        } else if (!file.commit()) {
            sError = file.errorString();
        }
    }
    if (sError.isEmpty())
        return true;
    if (pError)
        *pError = sError;
    return false;
}
