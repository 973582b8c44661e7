#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class frmMenu;
class QWidget;
class SysTray;
struct ProgramSettings;

// What the tray icon and its menu do. The icon's right button opens the menu
// with the monitoring entry's check mark brought up to date; a left click or
// double-click brings the window back, hidden or minimised; the entries
// show the window, start or stop the run through the skin's commands, switch
// the clipboard monitoring and end the program.
class TrayController : public QObject
{
    Q_OBJECT

public:
    struct Parts
    {
        QWidget &window;
        SysTray &tray;
        frmMenu &menu;
        ProgramSettings &settings;
        // Monitor(bState) of the clipboard monitor.
        std::function<void(bool)> monitor;
        std::function<void()> applySettingsToSkin;
        // The skin's command dispatch, with empty argument text.
        std::function<void(const QString &)> fsCommand;
        // The deferred exit: starts the window's tmrend.
        std::function<void()> exit;
    };

    explicit TrayController(const Parts &parts, QObject *parent = nullptr);

    void SysTray_MouseDown(int iButton);
    void SysTray_DblClick(int iButton);
    void mnuWebVideo_Click();
    void mnuDownload_Click();
    void mnuMonitor_Click();
    void mnuExit_Click();

private:
    QPointer<QWidget> m_pWindow;
    SysTray &m_tray;
    frmMenu &m_menu;
    ProgramSettings &m_settings;
    std::function<void(bool)> m_monitor;
    std::function<void()> m_applySettingsToSkin;
    std::function<void(const QString &)> m_fsCommand;
    std::function<void()> m_exit;
};
