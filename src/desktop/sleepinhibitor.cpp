#include "desktop/sleepinhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include "desktop/desktoplog.h"

SleepInhibitor::SleepInhibitor(const DesktopBus &bus, QObject *parent)
    : QObject(parent), m_bus(bus)
{
}

void SleepInhibitor::Hold()
{
    if (m_bWanted)
        return;
    m_bWanted = true;
    if (m_bus.Connection().isConnected())
        Ask(QStringLiteral("block"));
}

void SleepInhibitor::Ask(const QString &sMode)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QStringLiteral("Clipvane") << QStringLiteral("Downloading")
         << sMode;
    auto *pWatcher = new QDBusPendingCallWatcher(m_bus.Connection().asyncCall(call), this);
    connect(pWatcher, &QDBusPendingCallWatcher::finished, this,
            [this, sMode](QDBusPendingCallWatcher *pDone) {
                pDone->deleteLater();
                const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *pDone;
                if (reply.isError()) {
                    qCDebug(lcDesktop, "No %s lock on sleep: %s", qPrintable(sMode),
                            qPrintable(reply.error().message()));
                    // A user may not block sleep where policy says so;
                    // delaying it still lets the last block reach the disk.
                    if (m_bWanted && sMode == QLatin1String("block"))
                        Ask(QStringLiteral("delay"));
                    return;
                }
                // The run ended while logind answered: the lock goes at once.
                if (m_bWanted)
                    m_lock = reply.value();
            });
}

void SleepInhibitor::Release()
{
    m_bWanted = false;
    m_lock = QDBusUnixFileDescriptor();
}
