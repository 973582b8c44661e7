#include "pythonhttpserver.h"

#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

PythonHttpServer::~PythonHttpServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

bool PythonHttpServer::Available()
{
    return !QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty();
}

bool PythonHttpServer::Start(const QString &sDirectory)
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return false;
    m_iPort = probe.serverPort();
    probe.close();
    m_process.start(QStandardPaths::findExecutable(QStringLiteral("python3")),
                    {QStringLiteral("-m"), QStringLiteral("http.server"), QStringLiteral("--bind"),
                     QStringLiteral("127.0.0.1"), QString::number(m_iPort),
                     QStringLiteral("--directory"), sDirectory});
    if (!m_process.waitForStarted())
        return false;
    // The interpreter takes a moment before it listens.
    for (int i = 0; i < 200 && m_process.state() == QProcess::Running; ++i) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_iPort);
        if (socket.waitForConnected(1000))
            return true;
        QThread::msleep(50);
    }
    return false;
}

QString PythonHttpServer::Url(const QString &sName) const
{
    return QStringLiteral("http://127.0.0.1:%1/%2").arg(m_iPort).arg(sName);
}
