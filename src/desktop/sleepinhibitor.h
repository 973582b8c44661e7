#pragma once

#include <QDBusUnixFileDescriptor>
#include <QObject>

#include "desktop/desktopbus.h"

// Keeps the machine from suspending while downloads run: asks logind
// (org.freedesktop.login1.Manager.Inhibit, "sleep", on the system bus) for
// a lock, which holds as long as its file descriptor is open. Where there
// is no logind, or it refuses, downloads go on without one.
class SleepInhibitor : public QObject
{
    Q_OBJECT

public:
    explicit SleepInhibitor(const DesktopBus &bus, QObject *parent = nullptr);

    void Hold();
    // Closes the lock, or forgets one still asked for.
    void Release();
    bool IsHeld() const { return m_lock.isValid(); }

private:
    void Ask(const QString &sMode);

    DesktopBus m_bus;
    bool m_bWanted = false;
    QDBusUnixFileDescriptor m_lock;
};
