#include "monitor/handoverendpoint.h"

#include <QLocalServer>
#include <QLocalSocket>

#include "core/cliphandover.h"
#include "monitor/monitorlog.h"

namespace {

QByteArray AnySiteWord(bool bAnySite)
{
    return QByteArray(1, bAnySite ? ClipHandOver::kAnySiteOn : ClipHandOver::kAnySiteOff);
}

} // namespace

HandOverEndpoint::HandOverEndpoint(qint64 iNumber, QObject *parent)
    : QObject(parent)
    , m_iNumber(iNumber)
    , m_pServer(new QLocalServer(this))
{
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_pServer, &QLocalServer::newConnection, this, &HandOverEndpoint::AcceptConnections);
}

HandOverEndpoint::~HandOverEndpoint()
{
    Close();
}

bool HandOverEndpoint::Listen()
{
    const QString sName = ClipHandOver::ProgramEndpoint(m_iNumber);
    if (sName.isEmpty()) {
        qCWarning(lcMonitor, "Clipboard monitoring is off: no folder for its endpoint");
        return false;
    }
    // A socket file left by an ended program of the same number.
    QLocalServer::removeServer(sName);
    if (!m_pServer->listen(sName)) {
        qCWarning(lcMonitor, "Clipboard monitoring is off: cannot listen at %s: %s",
                  qPrintable(sName), qPrintable(m_pServer->errorString()));
        return false;
    }
    return true;
}

void HandOverEndpoint::Close()
{
    m_pServer->close();
}

void HandOverEndpoint::AcceptConnections()
{
    while (QLocalSocket *pSocket = m_pServer->nextPendingConnection()) {
        pSocket->write(AnySiteWord(m_bAnySite));
        m_buffers.insert(pSocket, QByteArray());
        connect(pSocket, &QLocalSocket::readyRead, this, [this, pSocket] { ReadFrames(pSocket); });
        connect(pSocket, &QLocalSocket::disconnected, this, [this, pSocket] {
            m_buffers.remove(pSocket);
            pSocket->deleteLater();
        });
        ReadFrames(pSocket);
    }
}

void HandOverEndpoint::SetAnySite(bool bAnySite)
{
    m_bAnySite = bAnySite;
    for (QLocalSocket *pSocket : m_pServer->findChildren<QLocalSocket *>())
        pSocket->write(AnySiteWord(m_bAnySite));
}

void HandOverEndpoint::ReadFrames(QLocalSocket *pSocket)
{
    // Each frame is taken off the buffer before its text is handed on:
    // adding an address processes events, and the watcher may go meanwhile
    // (its buffer goes with it). The socket is read again after each
    // hand-over: it sends no second readyRead while this one runs, so a text
    // that arrived meanwhile would otherwise wait for the next copy.
    for (;;) {
        QString sFrame;
        bool bOverlong = false;
        if (!m_buffers.contains(pSocket))
            return;
        QByteArray &buffer = m_buffers[pSocket];
        buffer += pSocket->readAll();
        const bool bTaken = ClipHandOver::TakeFrame(buffer, sFrame, bOverlong);
        if (bOverlong) {
            m_buffers.remove(pSocket);
            pSocket->abort();
            return;
        }
        if (!bTaken)
            return;
        if (const std::optional<QString> sText = ClipHandOver::Forwardable(sFrame))
            SetText(*sText);
    }
}

void HandOverEndpoint::SetText(const QString &sText)
{
    m_sText = sText;
    Q_EMIT TextChanged();
    m_sText.clear();
    Q_EMIT TextChanged();
}
