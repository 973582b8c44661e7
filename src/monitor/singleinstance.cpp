#include "monitor/singleinstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QLockFile>

#include <memory>

#include "core/runtimedir.h"
#include "monitor/monitorlog.h"

namespace {

constexpr int kWaitMs = 2000;
// More than any sensible command line; a peer cannot make the program hold more.
constexpr qint64 kMaxMessage = 1024 * 1024;

} // namespace

SingleInstance::SingleInstance(const QString &sEndpoint, QObject *parent)
    : QObject(parent)
    , m_sEndpoint(sEndpoint)
{
    if (m_sEndpoint.isEmpty()) {
        const QString sDir = ProgramRuntimeDir();
        if (!sDir.isEmpty())
            m_sEndpoint = QDir(sDir).filePath(QStringLiteral("instance"));
    }
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::Receive);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::Claim()
{
    if (m_sEndpoint.isEmpty()) {
        qCWarning(lcMonitor, "Running alone: no folder for the one-program endpoint");
        return false;
    }
    // Two programs started at the same moment must not both take over.
    QLockFile lock(m_sEndpoint + QStringLiteral(".lock"));
    if (!lock.tryLock(kWaitMs)) {
        qCWarning(lcMonitor, "Cannot claim %s: %s", qPrintable(m_sEndpoint),
                  lock.error() == QLockFile::LockFailedError ? "another start holds its lock"
                                                             : "its lock cannot be made");
        return false;
    }
    QLocalSocket probe;
    probe.connectToServer(m_sEndpoint);
    if (probe.waitForConnected(kWaitMs)) {
        qCDebug(lcMonitor, "The program already runs at %s", qPrintable(m_sEndpoint));
        return false;
    }
    // Nobody answers: a socket file left by a program that died is stale.
    QLocalServer::removeServer(m_sEndpoint);
    if (!m_server.listen(m_sEndpoint)) {
        qCWarning(lcMonitor, "Cannot claim %s: %s", qPrintable(m_sEndpoint),
                  qPrintable(m_server.errorString()));
        return false;
    }
    return true;
}

void SingleInstance::Release()
{
    // Closing also removes the socket file.
    m_server.close();
    // Without the answer the sender knows its addresses did not arrive.
    for (QLocalSocket *pSocket : m_server.findChildren<QLocalSocket *>())
        pSocket->abort();
}

// The message is the addresses, one a line, closed by an empty line; the
// running program answers "ok" once it has the whole message, so that the
// sender knows the addresses arrived before it ends.
bool SingleInstance::HandOver(const QStringList &addresses) const
{
    if (m_sEndpoint.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(m_sEndpoint);
    if (!socket.waitForConnected(kWaitMs))
        return false;
    QByteArray message;
    for (const QString &sAddress : addresses) {
        QString sLine = sAddress;
        sLine.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
        if (!sLine.trimmed().isEmpty())
            message += sLine.toUtf8() + '\n';
    }
    message += '\n';
    socket.write(message);
    QByteArray answer;
    while (!answer.contains('\n') && socket.waitForReadyRead(kWaitMs))
        answer += socket.readAll();
    socket.disconnectFromServer();
    return answer.startsWith("ok\n");
}

void SingleInstance::Receive()
{
    while (QLocalSocket *pSocket = m_server.nextPendingConnection()) {
        connect(pSocket, &QLocalSocket::disconnected, pSocket, &QObject::deleteLater);
        auto received = std::make_shared<QByteArray>();
        connect(pSocket, &QLocalSocket::readyRead, this, [this, pSocket, received] {
            received->append(pSocket->readAll());
            if (received->size() > kMaxMessage) {
                pSocket->abort();
                return;
            }
            const bool bWhole = *received == "\n" || received->endsWith("\n\n");
            if (!bWhole)
                return;
            pSocket->write("ok\n");
            pSocket->flush();
            QStringList addresses;
            for (const QByteArray &line : received->split('\n')) {
                if (!line.isEmpty())
                    addresses << QString::fromUtf8(line);
            }
            received->clear();
            Received(addresses);
        });
    }
}

void SingleInstance::Received(const QStringList &addresses)
{
    if (m_bHolding) {
        qCDebug(lcMonitor, "Holding %d handed-over address(es) until the window can take them",
                static_cast<int>(addresses.size()));
        m_held.append(addresses);
        return;
    }
    Q_EMIT AddressesReceived(addresses);
}

void SingleInstance::Deliver()
{
    // A receiver may turn the event loop and so take more hand-overs: they
    // join the end of the queue, so each goes out in its turn.
    while (!m_held.isEmpty())
        Q_EMIT AddressesReceived(m_held.takeFirst());
    m_bHolding = false;
}
