#include "httptestserver.h"

#include <QMetaObject>
#include <QMutexLocker>

#include "httptestserverworker.h"

HttpTestServer::HttpTestServer() = default;

HttpTestServer::~HttpTestServer()
{
    if (m_pWorker) {
        QMetaObject::invokeMethod(m_pWorker, [this] {
            m_pWorker->Shutdown();
            delete m_pWorker;
        }, Qt::BlockingQueuedConnection);
    }
    m_thread.quit();
    m_thread.wait();
}

bool HttpTestServer::Start()
{
    m_thread.setObjectName(QStringLiteral("HttpTestServer"));
    m_thread.start();
    m_pWorker = new HttpTestServerWorker(*this);
    m_pWorker->moveToThread(&m_thread);
    QMetaObject::invokeMethod(m_pWorker, [this] { m_iPort = m_pWorker->Listen(); },
                              Qt::BlockingQueuedConnection);
    return m_iPort != 0;
}

void HttpTestServer::SetTls(const QByteArray &certificatePem, const QByteArray &keyPem)
{
    m_certificatePem = certificatePem;
    m_keyPem = keyPem;
}

QString HttpTestServer::Url(const QString &sPath) const
{
    const QLatin1StringView sScheme(m_certificatePem.isEmpty() ? "http" : "https");
    return QStringLiteral("%1://127.0.0.1:%2%3").arg(sScheme).arg(m_iPort).arg(sPath);
}

void HttpTestServer::SetRoute(const QString &sPath, const Response &response)
{
    QMutexLocker lock(&m_mutex);
    m_routes.insert(sPath.toUtf8(), response);
}

HttpTestServer::Response HttpTestServer::Ok(const QByteArray &body, const QByteArray &contentType)
{
    Response response;
    response.headers = {{"Content-Type", contentType}};
    response.body = body;
    return response;
}

HttpTestServer::Response HttpTestServer::Redirect(const QByteArray &location, int iStatus)
{
    Response response;
    response.statusLine = "HTTP/1.1 " + QByteArray::number(iStatus) + " Moved";
    response.headers = {{"Location", location}};
    return response;
}

QList<QByteArray> HttpTestServer::RequestHeads() const
{
    QMutexLocker lock(&m_mutex);
    return m_requestHeads;
}

void HttpTestServer::SetHeadRoute(const QString &sPath, const Response &response)
{
    QMutexLocker lock(&m_mutex);
    m_headRoutes.insert(sPath.toUtf8(), response);
}

bool HttpTestServer::FindRoute(const QByteArray &method, const QByteArray &path,
                               Response &response) const
{
    QMutexLocker lock(&m_mutex);
    const auto sequence = m_sequences.find(path);
    if (sequence != m_sequences.end() && !sequence->isEmpty()) {
        response = sequence->constFirst();
        if (method != "HEAD" && sequence->size() > 1)
            sequence->removeFirst();
        return true;
    }
    if (method == "HEAD") {
        const auto head = m_headRoutes.constFind(path);
        if (head != m_headRoutes.constEnd()) {
            response = *head;
            return true;
        }
    }
    const auto it = m_routes.constFind(path);
    if (it == m_routes.constEnd())
        return false;
    response = *it;
    return true;
}

qsizetype HttpTestServer::RecordRequest(const QByteArray &head)
{
    QMutexLocker lock(&m_mutex);
    m_requestHeads.append(head);
    m_bodyBytesPerRequest.append(0);
    return m_requestHeads.size() - 1;
}

void HttpTestServer::SetRouteSequence(const QString &sPath, const QList<Response> &responses)
{
    QMutexLocker lock(&m_mutex);
    m_sequences.insert(sPath.toUtf8(), responses);
}

QList<qint64> HttpTestServer::BodyBytesPerRequest() const
{
    QMutexLocker lock(&m_mutex);
    return m_bodyBytesPerRequest;
}

void HttpTestServer::CountBodyBytes(qsizetype iRequest, qint64 lBytes)
{
    QMutexLocker lock(&m_mutex);
    m_bodyBytesPerRequest[iRequest] += lBytes;
}
