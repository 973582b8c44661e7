#include "httptestserverworker.h"

#include <QTcpServer>
#include <QTcpSocket>

#include "httptestconnection.h"
#include "httptestserver.h"

HttpTestServerWorker::HttpTestServerWorker(HttpTestServer &server) : m_server(server) {}

quint16 HttpTestServerWorker::Listen()
{
    m_pListener = new QTcpServer(this);
    connect(m_pListener, &QTcpServer::newConnection, this, &HttpTestServerWorker::Accept);
    if (!m_pListener->listen(QHostAddress::LocalHost, 0))
        return 0;
    return m_pListener->serverPort();
}

void HttpTestServerWorker::Accept()
{
    while (QTcpSocket *pSocket = m_pListener->nextPendingConnection())
        (new HttpTestConnection(m_server, pSocket))->setParent(this);
}

void HttpTestServerWorker::Shutdown()
{
    delete m_pListener;
    m_pListener = nullptr;
}
