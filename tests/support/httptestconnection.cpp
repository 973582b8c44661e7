#include "httptestconnection.h"

#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

namespace {

// Keeps memory flat when a large file is streamed to a slow reader.
constexpr qint64 kMaxQueued = 256 * 1024;
constexpr int kDefaultPiece = 64 * 1024;
constexpr int kDefaultChunk = 1000;

QByteArray HeaderValue(const QByteArray &head, const QByteArray &name)
{
    for (const QByteArray &line : head.split('\n')) {
        const qsizetype iColon = line.indexOf(':');
        if (iColon > 0 && line.left(iColon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(iColon + 1).trimmed();
    }
    return {};
}

// Turns the answer into the part of it that the request's Range asks for.
void ServeRange(const QByteArray &head, HttpTestServer::Response &r)
{
    const QByteArray range = HeaderValue(head, "Range");
    const qsizetype iDash = range.indexOf('-');
    if (!r.honourRange || !range.startsWith("bytes=") || iDash < 0)
        return;
    const QByteArray ifRange = HeaderValue(head, "If-Range");
    if (!ifRange.isEmpty()) {
        bool bSame = false;
        for (const auto &[name, value] : std::as_const(r.headers))
            bSame = bSame || ((name == "ETag" || name == "Last-Modified") && value == ifRange);
        if (!bSame)
            return;
    }
    const qint64 lFrom = range.mid(6, iDash - 6).toLongLong();
    // "bytes=a-b" ends at b; "bytes=a-" at the end of the body.
    const QByteArray last = range.mid(iDash + 1);
    const qint64 lTo = last.isEmpty() ? r.body.size() - 1
                                      : qMin<qint64>(last.toLongLong(), r.body.size() - 1);
    const QByteArray total = QByteArray::number(r.body.size());
    if (lFrom >= r.body.size()) {
        r.statusLine = "HTTP/1.1 416 Range Not Satisfiable";
        r.headers.append({"Content-Range", "bytes */" + total});
        r.body.clear();
        return;
    }
    r.statusLine = "HTTP/1.1 206 Partial Content";
    r.headers.append({"Content-Range", "bytes " + QByteArray::number(lFrom) + '-'
                                           + QByteArray::number(lTo) + '/' + total});
    r.body = r.body.mid(lFrom, lTo - lFrom + 1);
}

QByteArray EncodeChunked(const QByteArray &body, int iChunk)
{
    QByteArray wire;
    for (qsizetype i = 0; i < body.size(); i += iChunk) {
        const QByteArray piece = body.mid(i, iChunk);
        wire += QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n";
    }
    return wire + "0\r\n\r\n";
}

} // namespace

HttpTestConnection::HttpTestConnection(HttpTestServer &server, QTcpSocket *pSocket)
    : m_server(server), m_pSocket(pSocket)
{
    pSocket->setParent(this);
    connect(pSocket, &QTcpSocket::readyRead, this, &HttpTestConnection::ReadHead);
    connect(pSocket, &QTcpSocket::bytesWritten, this, &HttpTestConnection::Pump);
    connect(pSocket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    ReadHead();
}

void HttpTestConnection::ReadHead()
{
    if (m_bAnswering)
        return;
    m_received += m_pSocket->readAll();
    const qsizetype iEnd = m_received.indexOf("\r\n\r\n");
    if (iEnd < 0)
        return;
    m_bAnswering = true;
    Answer(m_received.left(iEnd));
}

void HttpTestConnection::Answer(const QByteArray &head)
{
    m_iRequest = m_server.RecordRequest(head);
    const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
    const QByteArray method = requestLine.value(0);
    if (!m_server.FindRoute(method, requestLine.value(1), m_response)) {
        m_response = HttpTestServer::Response();
        m_response.statusLine = "HTTP/1.1 404 Not Found";
        m_response.body = "no such route";
    }
    const QByteArray authorization =
        "\r\nAuthorization: Basic " + m_response.basicAuth.toBase64() + "\r\n";
    if (!m_response.basicAuth.isEmpty() && !(head + "\r\n").contains(authorization)) {
        m_response = HttpTestServer::Response();
        m_response.statusLine = "HTTP/1.1 401 Unauthorized";
        m_response.headers = {{"WWW-Authenticate", "Basic realm=\"test\""}};
        m_response.body = "who are you";
    }
    ServeRange(head, m_response);
    const HttpTestServer::Response &r = m_response;
    if (r.neverAnswer)
        return;
    if (r.closeWithoutAnswer) {
        m_pSocket->disconnectFromHost();
        return;
    }
    if (!r.endlessRaw.isEmpty()) {
        m_pSocket->write(r.rawAnswer);
        Pump();
        return;
    }
    if (!r.rawAnswer.isEmpty()) {
        m_pSocket->write(r.rawAnswer);
        m_pSocket->disconnectFromHost();
        return;
    }

    if (r.chunked)
        m_encodedBody = EncodeChunked(r.body, r.trickleBytes > 0 ? r.trickleBytes : kDefaultChunk);
    else if (r.bodyFile.isEmpty())
        m_encodedBody = r.body;
    if (!r.bodyFile.isEmpty() && !r.chunked) {
        m_file.setFileName(r.bodyFile);
        m_file.open(QIODevice::ReadOnly);
        m_lBodyTotal = m_file.size();
    } else {
        m_lBodyTotal = m_encodedBody.size();
    }

    const bool bHasBody = method != "HEAD";
    m_pSocket->write(BuildHead());
    if (!bHasBody)
        m_lBodyTotal = 0;
    else if (r.cutAfter >= 0 && r.cutAfter < m_lBodyTotal)
        m_lBodyTotal = r.cutAfter;
    Pump();
}

QByteArray HttpTestConnection::BuildHead() const
{
    const HttpTestServer::Response &r = m_response;
    QByteArray head = r.statusLine + "\r\n";
    bool bHasConnection = false;
    for (const auto &[name, value] : r.headers) {
        head += name + ": " + value + "\r\n";
        bHasConnection = bHasConnection || name.compare("Connection", Qt::CaseInsensitive) == 0;
    }
    if (r.chunked)
        head += "Transfer-Encoding: chunked\r\n";
    else if (r.addContentLength)
        head += "Content-Length: " + QByteArray::number(m_lBodyTotal) + "\r\n";
    if (!bHasConnection)
        head += "Connection: close\r\n";
    return head + "\r\n";
}

bool HttpTestConnection::NextPiece(QByteArray &piece)
{
    const int iPiece = m_response.trickleBytes > 0 ? m_response.trickleBytes : kDefaultPiece;
    const qint64 lWant = qMin<qint64>(iPiece, m_lBodyTotal - m_lBodySent);
    if (lWant <= 0)
        return false;
    piece = m_file.isOpen() ? m_file.read(lWant) : m_encodedBody.mid(m_lBodySent, lWant);
    m_lBodySent += piece.size();
    m_server.CountBodyBytes(m_iRequest, piece.size());
    return !piece.isEmpty();
}

void HttpTestConnection::Pump()
{
    if (!m_bAnswering || m_bWaitingForTimer
        || m_pSocket->state() != QAbstractSocket::ConnectedState)
        return;
    if (!m_response.endlessRaw.isEmpty()) {
        while (m_pSocket->bytesToWrite() < kMaxQueued
               && m_pSocket->write(m_response.endlessRaw) > 0) {
        }
        return;
    }
    QByteArray piece;
    while (m_pSocket->bytesToWrite() < kMaxQueued && NextPiece(piece)) {
        m_pSocket->write(piece);
        if (m_response.trickleIntervalMs > 0 && m_lBodySent < m_lBodyTotal) {
            m_bWaitingForTimer = true;
            QTimer::singleShot(m_response.trickleIntervalMs, this, [this] {
                m_bWaitingForTimer = false;
                Pump();
            });
            return;
        }
    }
    if (m_lBodySent >= m_lBodyTotal)
        End();
}

void HttpTestConnection::End()
{
    if (!m_response.resetAtCut) {
        m_pSocket->disconnectFromHost();
        return;
    }
    // Everything written so far must reach the peer before the reset.
    if (m_pSocket->bytesToWrite() > 0)
        return; // called again from bytesWritten
    m_pSocket->waitForBytesWritten(0);
    const linger lingerNow{1, 0};
    ::setsockopt(static_cast<int>(m_pSocket->socketDescriptor()), SOL_SOCKET, SO_LINGER,
                 &lingerNow, sizeof lingerNow);
    m_pSocket->abort();
}
