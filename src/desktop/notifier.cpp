#include "desktop/notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include "desktop/desktoplog.h"

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kOpenAction = QStringLiteral("open");
const QString kShowAction = QStringLiteral("show");
// The server's own time-out for a notification.
constexpr int kServerDecides = -1;

} // namespace

Notifier::Notifier(const DesktopBus &bus, QObject *parent) : QObject(parent), m_bus(bus)
{
}

void Notifier::Notify(const QString &sSummary, const QString &sBody, const QString &sFile)
{
    QDBusConnection &bus = m_bus.Connection();
    if (!bus.isConnected())
        return;
    // The answers to our notifications, from the first one on.
    if (!m_bListening) {
        m_bListening = true;
        bus.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), this,
                    SLOT(OnActionInvoked(uint, QString)));
        bus.connect(kService, kPath, kService, QStringLiteral("NotificationClosed"), this,
                    SLOT(OnClosed(uint, uint)));
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    const QStringList actions = sFile.isEmpty()
        ? QStringList()
        : QStringList{kOpenAction, tr("Open"), kShowAction, tr("Show in folder")};
    call << QStringLiteral("Clipvane") << 0u << QString(kIconName) << sSummary << sBody << actions
         << QVariantMap{} << kServerDecides;
    auto *pWatcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(pWatcher, &QDBusPendingCallWatcher::finished, this,
            [this, sFile](QDBusPendingCallWatcher *pDone) {
                pDone->deleteLater();
                const QDBusPendingReply<uint> reply = *pDone;
                if (reply.isError()) {
                    qCDebug(lcDesktop, "No notification: %s", qPrintable(reply.error().message()));
                    return;
                }
                if (!sFile.isEmpty())
                    m_files.insert(reply.value(), sFile);
            });
}

void Notifier::OnActionInvoked(uint uId, const QString &sAction)
{
    const QString sFile = m_files.value(uId);
    if (sFile.isEmpty())
        return;
    if (sAction == kOpenAction)
        Q_EMIT OpenRequested(sFile);
    else if (sAction == kShowAction)
        Q_EMIT ShowRequested(sFile);
}

void Notifier::OnClosed(uint uId, uint)
{
    m_files.remove(uId);
}
