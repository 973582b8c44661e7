#include "core/programfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace ProgramFiles {

namespace {

// The installed place is tried first: beside an installed program there is
// nothing of ours, while the build tree has no installed layout at all.
QString Find(const QString &sInstalledDir, const QString &sName)
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString candidates[] = {
        programDir.filePath(sInstalledDir + QLatin1Char('/') + sName),
        programDir.filePath(sName),
    };
    for (const QString &sPath : candidates) {
        if (QFileInfo(sPath).isFile())
            return QDir::cleanPath(sPath);
    }
    return QString();
}

} // namespace

QString HelpDocument()
{
    return Find(QStringLiteral(CLIPVANE_DATA_FROM_BIN), QStringLiteral("help.html"));
}

QString ClipWatcher()
{
    return Find(QStringLiteral(CLIPVANE_WATCHER_FROM_BIN), QStringLiteral("clipvane-clip"));
}

} // namespace ProgramFiles
