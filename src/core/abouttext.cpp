#include "core/abouttext.h"

#include <QCoreApplication>
#include <QStringList>
#include <QVersionNumber>

QString AboutText(int iMajor, int iMinor, int iRevision)
{
    return QCoreApplication::translate("AboutText", "Version %1.%2.0.%3")
               .arg(iMajor)
               .arg(iMinor)
               .arg(iRevision)
        + QStringLiteral("\r\n")
        + QCoreApplication::translate("AboutText",
                                      "Clipvane is an easy to use program to download video "
                                      "files from google,youtube,iFilm and other 9 video sharing "
                                      "sites to your PC.");
}

QString AboutText()
{
    const QVersionNumber version = QVersionNumber::fromString(QStringLiteral(CLIPVANE_VERSION));
    return AboutText(version.majorVersion(), version.minorVersion(), version.microVersion());
}
