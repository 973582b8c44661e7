// clipvane-get: the download list and queue without a window.

#include <QCoreApplication>

#include "cli/getcommand.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("clipvane-get"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CLIPVANE_VERSION));
    return GetCommand().Run(QCoreApplication::arguments());
}
