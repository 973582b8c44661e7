#include <QApplication>

#include "gui/frmmain.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Clipvane"));
    QApplication::setApplicationVersion(QStringLiteral(CLIPVANE_VERSION));

    frmMain window;
    window.show();
    return app.exec();
}
