#pragma once

#include <QObject>

class HttpTestServer;
class QTcpServer;

// The part of HttpTestServer that lives in the server thread: it accepts
// connections and gives each one a HttpTestConnection.
class HttpTestServerWorker : public QObject
{
    Q_OBJECT

public:
    explicit HttpTestServerWorker(HttpTestServer &server);

    // Runs in the server thread; 0 when listening failed.
    quint16 Listen();
    void Shutdown();

private:
    void Accept();

    HttpTestServer &m_server;
    QTcpServer *m_pListener = nullptr;
};
