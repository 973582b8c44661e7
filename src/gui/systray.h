#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

// The program's icon in the desktop's notification area, with the tray
// control's properties and its two events. Button codes: 1 left, 2 right,
// 4 middle.
class SysTray : public QObject
{
    Q_OBJECT

public:
    static constexpr int kLeftButton = 1;
    static constexpr int kRightButton = 2;
    static constexpr int kMiddleButton = 4;

    explicit SysTray(QObject *parent = nullptr);

    // True puts the icon into the notification area.
    bool intray() const { return m_tray.isVisible(); }
    void setIntray(bool bInTray) { m_tray.setVisible(bInTray); }
    QIcon trayicon() const { return m_tray.icon(); }
    void setTrayicon(const QIcon &icon) { m_tray.setIcon(icon); }
    QString traytip() const { return m_tray.toolTip(); }
    void setTraytip(const QString &sTip) { m_tray.setToolTip(sTip); }

    // Whether the desktop has a notification area at all.
    static bool Available() { return QSystemTrayIcon::isSystemTrayAvailable(); }

    // What the desktop reports of the icon, as the control's events (tests
    // call this the way the desktop would).
    void OnActivated(QSystemTrayIcon::ActivationReason reason);

Q_SIGNALS:
    void MouseDown(int iButton);
    void DblClick(int iButton);

private:
    QSystemTrayIcon m_tray;
};
