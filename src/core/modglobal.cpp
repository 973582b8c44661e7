#include "core/modglobal.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace modGlobal {

void SplitUrl(QString &address, QString &path)
{
    if (address.left(7).toLower() == QLatin1StringView("http://"))
        address.remove(0, 7);
    const qsizetype iSlash = address.indexOf(QLatin1Char('/'));
    if (iSlash < 0)
        return;
    path = address.mid(iSlash);
    address.truncate(iSlash);
}

QString CutAtNul(const QString &sText)
{
    const qsizetype iNul = sText.indexOf(QChar(u'\0'));
    return iNul < 0 ? sText : sText.left(iNul);
}

bool DeleteFileForced(const QString &sPath)
{
    // Whether a file can be removed depends on its folder, not on its own
    // permissions, so a read-only file goes without being touched. Nothing is
    // followed: a link is removed itself (even one that points nowhere), and
    // its target keeps its content and its permissions.
    const QByteArray path = QFile::encodeName(sPath);
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0)
        return errno == ENOENT;
    if (S_ISDIR(info.st_mode))
        return false;
    return ::unlink(path.constData()) == 0;
}

} // namespace modGlobal
