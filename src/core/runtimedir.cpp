#include "core/runtimedir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

QString ProgramRuntimeDir()
{
    QString sBase = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (sBase.isEmpty() || !QFileInfo(sBase).isDir())
        sBase = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (sBase.isEmpty())
        return QString();
    const QString sDir = QDir(sBase).filePath(QStringLiteral("clipvane"));
    if (!QDir().mkpath(sDir))
        return QString();
    // Anyone who can reach the sockets can hand the program addresses.
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    if (QFile::permissions(sDir) != ownerOnly && !QFile::setPermissions(sDir, ownerOnly))
        return QString();
    return sDir;
}
