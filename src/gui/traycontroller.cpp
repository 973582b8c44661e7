#include "gui/traycontroller.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QWidget>

#include "gui/frmmenu.h"
#include "gui/modwindow.h"
#include "gui/systray.h"
#include "session/runpresenter.h"
#include "settings/programsettings.h"

TrayController::TrayController(const Parts &parts, QObject *parent)
    : QObject(parent)
    , m_pWindow(&parts.window)
    , m_tray(parts.tray)
    , m_menu(parts.menu)
    , m_settings(parts.settings)
    , m_monitor(parts.monitor)
    , m_applySettingsToSkin(parts.applySettingsToSkin)
    , m_fsCommand(parts.fsCommand)
    , m_exit(parts.exit)
{
    connect(&m_tray, &SysTray::MouseDown, this, &TrayController::SysTray_MouseDown);
    connect(&m_tray, &SysTray::DblClick, this, &TrayController::SysTray_DblClick);
    connect(m_menu.mnuWebVideo, &QAction::triggered, this, &TrayController::mnuWebVideo_Click);
    connect(m_menu.mnuDownload, &QAction::triggered, this, &TrayController::mnuDownload_Click);
    connect(m_menu.mnuMonitor, &QAction::triggered, this, &TrayController::mnuMonitor_Click);
    connect(m_menu.mnuExit, &QAction::triggered, this, &TrayController::mnuExit_Click);
}

void TrayController::SysTray_MouseDown(int iButton)
{
    // Trays that speak StatusNotifierItem report only single clicks, never a
    // double-click: a left click is the way back to the window there.
    if (iButton == SysTray::kLeftButton && m_pWindow) {
        modWindow::BringBack(*m_pWindow);
        return;
    }
    if (iButton != SysTray::kRightButton)
        return;
    // A visible window in front lets the menu close when the user clicks
    // elsewhere; a hidden one stays hidden.
    if (m_pWindow && m_pWindow->isVisible())
        m_pWindow->activateWindow();
    m_menu.mnuMonitor->setChecked(m_settings.bURLMonitor);
    m_menu.TRAYMENU->popup(QCursor::pos());
}

void TrayController::SysTray_DblClick(int iButton)
{
    if (iButton == SysTray::kLeftButton && m_pWindow)
        modWindow::BringBack(*m_pWindow);
}

void TrayController::mnuWebVideo_Click()
{
    if (m_pWindow)
        modWindow::BringBack(*m_pWindow);
}

void TrayController::mnuDownload_Click()
{
    m_fsCommand(m_menu.OffersStart()
                    ? QStringLiteral("IDC_FS_startDownload")
                    : QStringLiteral("IDC_FS_stopDownload"));
}

void TrayController::mnuMonitor_Click()
{
    // QAction flips its own check mark before it reports the click; the
    // choice is the opposite of what the mark showed when the menu opened,
    // which is the setting itself.
    m_monitor(!m_settings.bURLMonitor);
    m_menu.mnuMonitor->setChecked(m_settings.bURLMonitor);
    m_applySettingsToSkin();
}

void TrayController::mnuExit_Click()
{
    m_exit();
}
