#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QPair>
#include <QString>
#include <QThread>

#include <memory>

class HttpTestServerWorker;

// A scriptable HTTP server on 127.0.0.1 for tests. It runs in a thread of its
// own, so it keeps answering while the code under test holds the main thread
// in a synchronous transfer. Each route is a canned answer that can be exact
// to the byte (status line, header lines in order) or misbehave on purpose.
// Every answer ends its connection.
class HttpTestServer
{
public:
    struct Response
    {
        QByteArray statusLine = "HTTP/1.1 200 OK";
        // Sent in this order, exactly as given.
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        // Streams this file from disk instead of body (for large files).
        QString bodyFile;
        // Adds "Content-Length" for the body unless the body is chunked.
        bool addContentLength = true;
        // Sends the body with "Transfer-Encoding: chunked" in pieces of
        // trickleBytes (or 1000) bytes.
        bool chunked = false;
        // Ends the connection after this many body bytes (a body cut short).
        qint64 cutAfter = -1;
        // ... with a TCP reset instead of an orderly close.
        bool resetAtCut = false;
        // Sends the body in pieces of trickleBytes, trickleIntervalMs apart.
        int trickleBytes = 0;
        int trickleIntervalMs = 0;
        // Closes the connection without answering at all.
        bool closeWithoutAnswer = false;
        // "user:password": requests without these Basic credentials get a
        // 401 challenge instead of this answer.
        QByteArray basicAuth;
        // Keeps the connection open without ever answering.
        bool neverAnswer = false;
        // Sent as-is instead of an HTTP answer (a server that is not HTTP).
        QByteArray rawAnswer;
        // Sent again and again after rawAnswer, for as long as the client
        // reads (an answer whose headers never end).
        QByteArray endlessRaw;
        // Answers "Range: bytes=N-" (or "bytes=N-M") with a 206 of the body
        // from N (to M; a 416 past its end), unless If-Range names neither
        // this answer's ETag nor its Last-Modified. cutAfter then counts
        // from N.
        bool honourRange = false;
    };

    HttpTestServer();
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer &) = delete;
    HttpTestServer &operator=(const HttpTestServer &) = delete;

    // Serves https with this certificate and key (PEM) instead of http.
    // Call before Start.
    void SetTls(const QByteArray &certificatePem, const QByteArray &keyPem);

    // Listens on 127.0.0.1 at a free port. False when that failed.
    bool Start();
    quint16 Port() const { return m_iPort; }
    // "http://127.0.0.1:<port>" (or https) followed by sPath.
    QString Url(const QString &sPath) const;

    // Answers requests for sPath (path and query, as in the request line).
    // Unknown paths get a plain "HTTP/1.1 404 Not Found".
    void SetRoute(const QString &sPath, const Response &response);
    // Answers HEAD requests for sPath with this instead (a server that
    // refuses HEAD, or fails it, but serves GET).
    void SetHeadRoute(const QString &sPath, const Response &response);
    // Answers the GET requests for sPath with these in turn; the last one
    // answers every later request. HEAD gets the answer next in turn.
    void SetRouteSequence(const QString &sPath, const QList<Response> &responses);

    // Body bytes written to the client in answer to each request of
    // RequestHeads.
    QList<qint64> BodyBytesPerRequest() const;
    void CountBodyBytes(qsizetype iRequest, qint64 lBytes);

    static Response Ok(const QByteArray &body,
                       const QByteArray &contentType = "application/octet-stream");
    static Response Redirect(const QByteArray &location, int iStatus = 302);

    // The head (request line and header lines) of every request received so
    // far, in order of arrival.
    QList<QByteArray> RequestHeads() const;

    // Used by the worker thread.
    QByteArray CertificatePem() const { return m_certificatePem; }
    QByteArray KeyPem() const { return m_keyPem; }
    bool FindRoute(const QByteArray &method, const QByteArray &path, Response &response) const;
    // The request's number in RequestHeads.
    qsizetype RecordRequest(const QByteArray &head);

private:
    QThread m_thread;
    HttpTestServerWorker *m_pWorker = nullptr;
    quint16 m_iPort = 0;
    QByteArray m_certificatePem;
    QByteArray m_keyPem;
    mutable QMutex m_mutex;
    QHash<QByteArray, Response> m_routes;
    QHash<QByteArray, Response> m_headRoutes;
    mutable QHash<QByteArray, QList<Response>> m_sequences; // taken in turn by FindRoute
    QList<qint64> m_bodyBytesPerRequest;
    QList<QByteArray> m_requestHeads;
};
