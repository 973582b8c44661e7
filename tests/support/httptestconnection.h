#pragma once

#include <QByteArray>
#include <QFile>
#include <QObject>

#include "httptestserver.h"

class QTcpSocket;

// One accepted connection of the test server: reads a request head, then
// plays the route's answer, misbehaviour included, and ends the connection.
class HttpTestConnection : public QObject
{
    Q_OBJECT

public:
    HttpTestConnection(HttpTestServer &server, QTcpSocket *pSocket);

private:
    void ReadHead();
    void Answer(const QByteArray &head);
    QByteArray BuildHead() const;
    void Pump();
    bool NextPiece(QByteArray &piece);
    void End();

    HttpTestServer &m_server;
    QTcpSocket *m_pSocket;
    QByteArray m_received;
    HttpTestServer::Response m_response;
    QFile m_file;
    QByteArray m_encodedBody; // body as it goes on the wire (chunked or not)
    qsizetype m_iRequest = 0;
    qint64 m_lBodyTotal = 0;
    qint64 m_lBodySent = 0;
    bool m_bAnswering = false;
    bool m_bWaitingForTimer = false;
};
