// clipvane-get: the download list and queue without a window.

#include <QCoreApplication>

#include "cli/getcommand.h"
#include "core/uilanguage.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    UiLanguage::Install(app);
    QCoreApplication::setApplicationName(QStringLiteral("clipvane-get"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CLIPVANE_VERSION));
    return GetCommand().Run(QCoreApplication::arguments());
}
