#include "settings/programsettings.h"

#include <QDir>

QString ProgramSettings::DefaultDownloadDir()
{
    return QDir::home().filePath(QStringLiteral("Downloaded Videos"));
}
