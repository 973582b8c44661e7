#include "core/programfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "core/uilanguage.h"

namespace ProgramFiles {

namespace {

// The installed place is tried first: beside an installed program there is
// nothing of ours, while the build tree has no installed layout at all.
QString Find(const QString &sProgramDir, const QString &sInstalledDir, const QString &sName)
{
    const QDir programDir(sProgramDir);
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
    return HelpDocumentFor(QCoreApplication::applicationDirPath(), UiLanguage::Installed());
}

QString HelpDocumentFor(const QString &sProgramDir, const QString &sLanguage)
{
    const QString sInstalledDir = QStringLiteral(CLIPVANE_DATA_FROM_BIN);
    // English is help.html itself; a language without a document of its own
    // gets English rather than nothing.
    if (!sLanguage.isEmpty()) {
        const QString sTranslated =
            Find(sProgramDir, sInstalledDir, QStringLiteral("help.%1.html").arg(sLanguage));
        if (!sTranslated.isEmpty())
            return sTranslated;
    }
    return Find(sProgramDir, sInstalledDir, QStringLiteral("help.html"));
}

QString ClipWatcher()
{
    return Find(QCoreApplication::applicationDirPath(), QStringLiteral(CLIPVANE_WATCHER_FROM_BIN),
                QStringLiteral("clipvane-clip"));
}

} // namespace ProgramFiles
