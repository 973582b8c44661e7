#include "core/abouttext.h"

#include <QStringList>
#include <QVersionNumber>

QString AboutText(int iMajor, int iMinor, int iRevision)
{
    return QStringLiteral("Version %1.%2.0.%3\r\n").arg(iMajor).arg(iMinor).arg(iRevision)
        + QStringLiteral("Clipvane is an easy to use program to download video files from "
                         "google,youtube,iFilm and other 9 video sharing sites to your PC.");
}

QString AboutText()
{
    const QVersionNumber version = QVersionNumber::fromString(QStringLiteral(CLIPVANE_VERSION));
    return AboutText(version.majorVersion(), version.minorVersion(), version.microVersion());
}
