#include "desktop/filemanager.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QUrl>

#include "desktop/desktoplog.h"

namespace {

// A file manager that is started for the call may take a moment.
constexpr int kCallTimeoutMs = 10000;

} // namespace

FileManager::FileManager(const DesktopBus &bus, QObject *parent)
    : QObject(parent), m_bus(bus)
{
}

void FileManager::ShowItem(const QString &sPath, const std::function<void()> &fallback)
{
    if (!m_bus.Connection().isConnected()) {
        fallback();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(sPath).toString(QUrl::FullyEncoded)} << QString();
    auto *pWatcher = new QDBusPendingCallWatcher(m_bus.Connection().asyncCall(call, kCallTimeoutMs), this);
    connect(pWatcher, &QDBusPendingCallWatcher::finished, this,
            [fallback](QDBusPendingCallWatcher *pDone) {
                pDone->deleteLater();
                if (!pDone->isError())
                    return;
                qCDebug(lcDesktop, "No file manager: %s", qPrintable(pDone->error().message()));
                fallback();
            });
}
