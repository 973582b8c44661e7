#include "core/runtimedir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/corelog.h"

namespace {

constexpr mode_t kOwnerOnly = S_IRWXU;

// The folder is opened without following a link, so what is checked and
// what is fixed are one and the same directory.
bool MakeOwnersOnly(const QString &sDir)
{
    const QByteArray path = QFile::encodeName(sDir);
    // Made with its final mode: there is no moment in which others may enter.
    if (::mkdir(path.constData(), kOwnerOnly) != 0 && errno != EEXIST) {
        qCWarning(lcCore, "Cannot make %s: %s", path.constData(), std::strerror(errno));
        return false;
    }
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const char *pWhy = errno == ELOOP     ? "it is a link"
                           : errno == ENOTDIR ? "it is not a directory"
                                              : std::strerror(errno);
        qCWarning(lcCore, "Refusing %s: %s", path.constData(), pWhy);
        return false;
    }
    struct stat info {};
    bool bUsable = ::fstat(fd, &info) == 0;
    if (!bUsable) {
        qCWarning(lcCore, "Cannot look at %s: %s", path.constData(), std::strerror(errno));
    } else if (info.st_uid != ::geteuid()) {
        // Its owner could hand the program addresses, or read what it is handed.
        qCWarning(lcCore, "Refusing %s: it belongs to user %u", path.constData(),
                  static_cast<unsigned>(info.st_uid));
        bUsable = false;
    } else if ((info.st_mode & 07777) != kOwnerOnly) {
        bUsable = ::fchmod(fd, kOwnerOnly) == 0;
        if (bUsable)
            qCDebug(lcCore, "%s had mode %o, now 700", path.constData(),
                    static_cast<unsigned>(info.st_mode & 07777));
        else
            qCWarning(lcCore, "Cannot make %s private: %s", path.constData(), std::strerror(errno));
    }
    ::close(fd);
    return bUsable;
}

} // namespace

QString ProgramRuntimeDir()
{
    QString sBase = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (sBase.isEmpty() || !QFileInfo(sBase).isDir())
        sBase = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (sBase.isEmpty()) {
        qCWarning(lcCore, "No runtime directory: the program's processes cannot find each other");
        return QString();
    }
    const QString sDir = QDir(sBase).filePath(QStringLiteral("clipvane"));
    return MakeOwnersOnly(sDir) ? sDir : QString();
}
