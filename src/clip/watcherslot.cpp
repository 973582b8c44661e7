#include "clip/watcherslot.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include "clip/cliplog.h"
#include "core/cliphandover.h"

namespace {

constexpr int kConnectMs = 1000;
// How long a watcher gets to let go of its place when asked to end.
constexpr int kEndMs = 5000;
// A watcher started while another takes the place waits for that claim to
// end, which is at most as long as a holder gets to let go.
constexpr int kClaimLockMs = kConnectMs + kEndMs + 1000;

} // namespace

WatcherSlot::WatcherSlot(QObject *parent)
    : QObject(parent)
    , m_pServer(new QLocalServer(this))
{
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_pServer, &QLocalServer::newConnection, this, &WatcherSlot::AcceptConnections);
}

WatcherSlot::~WatcherSlot()
{
    Release();
}

bool WatcherSlot::EndRunningWatcher()
{
    const QString sName = ClipHandOver::WatcherEndpoint();
    if (sName.isEmpty())
        return true;
    QLocalSocket socket;
    socket.connectToServer(sName);
    if (!socket.waitForConnected(kConnectMs))
        return true; // none runs (at most a stale socket file is left)
    socket.write(ClipHandOver::kExitRequest);
    socket.flush();
    // The running watcher closes its place and then the connection.
    return socket.state() == QLocalSocket::UnconnectedState
           || socket.waitForDisconnected(kEndMs);
}

bool WatcherSlot::Claim()
{
    const QString sName = ClipHandOver::WatcherEndpoint();
    if (sName.isEmpty())
        return false;
    // Two watchers started at once would otherwise both remove the socket
    // file and listen, or one would remove the socket the other just made.
    QLockFile claim(sName + QStringLiteral(".lock"));
    if (!claim.tryLock(kClaimLockMs)) {
        qCWarning(lcClip, "Not watching: another watcher's claim of %s did not end",
                  qPrintable(sName));
        return false;
    }
    if (!EndRunningWatcher()) {
        qCWarning(lcClip, "Not watching: the running watcher did not let go of %s",
                  qPrintable(sName));
        return false;
    }
    // Nothing answers there now: whatever socket file is left is stale.
    QLocalServer::removeServer(sName);
    if (!m_pServer->listen(sName)) {
        qCWarning(lcClip, "Not watching: cannot listen at %s: %s", qPrintable(sName),
                  qPrintable(m_pServer->errorString()));
        return false;
    }
    qCDebug(lcClip, "Watching from %s", qPrintable(sName));
    return true;
}

void WatcherSlot::Release()
{
    m_pServer->close();
}

void WatcherSlot::AcceptConnections()
{
    while (QLocalSocket *pSocket = m_pServer->nextPendingConnection()) {
        connect(pSocket, &QLocalSocket::readyRead, this, [this, pSocket] { ReadRequest(pSocket); });
        connect(pSocket, &QLocalSocket::disconnected, pSocket, &QObject::deleteLater);
        ReadRequest(pSocket);
    }
}

void WatcherSlot::ReadRequest(QLocalSocket *pSocket)
{
    const QByteArray request(ClipHandOver::kExitRequest);
    if (pSocket->bytesAvailable() < request.size())
        return;
    if (pSocket->read(request.size()) != request) {
        pSocket->abort();
        return;
    }
    // Stop handing over and free the place before the asker hears back.
    Q_EMIT EndRequested();
    Release();
    pSocket->disconnectFromServer();
}
