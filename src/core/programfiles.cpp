#include "core/programfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace ProgramFiles {

QString HelpDocument()
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString candidates[] = {
        programDir.filePath(QStringLiteral("help.html")),
        programDir.filePath(QStringLiteral("../share/clipvane/help.html")),
    };
    for (const QString &sPath : candidates) {
        if (QFileInfo(sPath).isFile())
            return QDir::cleanPath(sPath);
    }
    return QString();
}

} // namespace ProgramFiles
