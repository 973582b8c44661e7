#include "gui/modwindow.h"

#include <QIcon>
#include <QWidget>

namespace modWindow {

void BringBack(QWidget &window)
{
    // A window hidden while minimised keeps that state, and showing it again
    // would map it iconified; the state is cleared before it is shown.
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (const int iSize : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1x%1/apps/clipvane.png").arg(iSize));
    return icon;
}

} // namespace modWindow
