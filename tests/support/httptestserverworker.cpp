#include "httptestserverworker.h"

#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>

#include "httptestconnection.h"
#include "httptestserver.h"

HttpTestServerWorker::HttpTestServerWorker(HttpTestServer &server) : m_server(server) {}

quint16 HttpTestServerWorker::Listen()
{
    if (m_server.CertificatePem().isEmpty()) {
        m_pListener = new QTcpServer(this);
    } else {
        auto *pTls = new QSslServer(this);
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(QSslCertificate(m_server.CertificatePem()));
        configuration.setPrivateKey(QSslKey(m_server.KeyPem(), QSsl::Rsa));
        pTls->setSslConfiguration(configuration);
        m_pListener = pTls;
    }
    // Emitted once a connection is ready to use, after the TLS handshake.
    connect(m_pListener, &QTcpServer::pendingConnectionAvailable, this,
            &HttpTestServerWorker::Accept);
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
