#include "gui/systray.h"

SysTray::SysTray(QObject *parent)
    : QObject(parent)
{
    connect(&m_tray, &QSystemTrayIcon::activated, this, &SysTray::OnActivated);
}

void SysTray::OnActivated(QSystemTrayIcon::ActivationReason reason)
{
    // Desktops report a right click as a request for the context menu; the
    // icon has no menu of its own, so the program's handler opens it.
    switch (reason) {
    case QSystemTrayIcon::Context:
        Q_EMIT MouseDown(kRightButton);
        break;
    case QSystemTrayIcon::Trigger:
        Q_EMIT MouseDown(kLeftButton);
        break;
    case QSystemTrayIcon::MiddleClick:
        Q_EMIT MouseDown(kMiddleButton);
        break;
    case QSystemTrayIcon::DoubleClick:
        Q_EMIT DblClick(kLeftButton);
        break;
    case QSystemTrayIcon::Unknown:
        break;
    }
}
