#include "gui/modwindow.h"

#include <QIcon>
#include <QWidget>
#include <QWindow>

namespace modWindow {

void BringBack(QWidget &window)
{
    // Minimised by its own button, the window asked the desktop to map it
    // iconified from then on; restored by the desktop and later hidden, it
    // would still come back iconified. Passing through the minimised state
    // while hidden makes Qt write the hint anew as normal.
    QWindow *pHandle = window.windowHandle();
    if (window.isHidden() && pHandle) {
        pHandle->setWindowStates(Qt::WindowMinimized);
        pHandle->setWindowStates(Qt::WindowNoState);
    }
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
