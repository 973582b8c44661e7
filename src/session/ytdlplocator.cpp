#include "session/ytdlplocator.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "session/ytdlprunner.h"

namespace {

// Asking for the version never needs the full time a page may take.
constexpr double kVersionTimeLimitSeconds = 20;

bool IsProgram(const QString &sPath)
{
    const QFileInfo info(sPath);
    return info.isFile() && info.isExecutable();
}

} // namespace

QString YtDlpLocator::Find(const QString &sSetting)
{
    const QString sNamed = sSetting.trimmed();
    if (!sNamed.isEmpty()) {
        if (sNamed.contains(u'/'))
            return IsProgram(sNamed) ? QFileInfo(sNamed).absoluteFilePath() : QString();
        return QStandardPaths::findExecutable(sNamed);
    }
    const QString sOnPath = QStandardPaths::findExecutable(QStringLiteral("yt-dlp"));
    if (!sOnPath.isEmpty())
        return sOnPath;
    const QString sLocal = QDir::home().filePath(QStringLiteral(".local/bin/yt-dlp"));
    return IsProgram(sLocal) ? sLocal : QString();
}

QString YtDlpLocator::Version(const QString &sProgram)
{
    if (sProgram.isEmpty())
        return QString();
    YtDlpRunner runner;
    runner.SetTimeLimitSeconds(kVersionTimeLimitSeconds);
    runner.SetOutputLimit(64 * 1024);
    if (runner.Run(sProgram, {QStringLiteral("--version")}) != YtDlpRunner::Result::Finished)
        return QString();
    return QString::fromUtf8(runner.Output()).section(u'\n', 0, 0).trimmed();
}
