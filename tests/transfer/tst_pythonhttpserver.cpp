#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include "downloadrecorder.h"
#include "transfer/download.h"

// The transfer control against an HTTP server this project did not write:
// Python's http.server, started on 127.0.0.1 for the test.
class TestPythonHttpServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void headRequest();
    void headOfMissingFile();
    void downloadIsByteIdentical();

private:
    QString Url(const QString &sName) const
    {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(m_iPort).arg(sName);
    }

    QTemporaryDir m_served;
    QTemporaryDir m_local;
    QProcess m_python;
    quint16 m_iPort = 0;
    QByteArray m_content;
};

void TestPythonHttpServer::initTestCase()
{
    const QString sPython = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (sPython.isEmpty())
        QSKIP("python3 is not installed");

    // Several MiB of data that no pattern bug could reproduce by accident.
    m_content.resize(6 * 1024 * 1024 + 777);
    QRandomGenerator generator(20261207);
    generator.fillRange(reinterpret_cast<quint32 *>(m_content.data()), m_content.size() / 4);
    QFile file(m_served.filePath(QStringLiteral("clip.flv")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(m_content), m_content.size());
    file.close();

    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    m_iPort = probe.serverPort();
    probe.close();
    m_python.start(sPython, {QStringLiteral("-m"), QStringLiteral("http.server"),
                             QStringLiteral("--bind"), QStringLiteral("127.0.0.1"),
                             QString::number(m_iPort), QStringLiteral("--directory"),
                             m_served.path()});
    QVERIFY(m_python.waitForStarted());
    // Ready once it accepts a connection.
    bool bReady = false;
    for (int i = 0; i < 200 && !bReady && m_python.state() == QProcess::Running; ++i) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_iPort);
        bReady = socket.waitForConnected(1000);
        if (!bReady)
            QTest::qWait(50);
    }
    QVERIFY2(bReady, "python3 -m http.server did not start");
}

void TestPythonHttpServer::cleanupTestCase()
{
    if (m_python.state() != QProcess::NotRunning) {
        m_python.kill();
        m_python.waitForFinished();
    }
}

void TestPythonHttpServer::headRequest()
{
    Download download;
    download.SetUrl(Url(QStringLiteral("clip.flv")));
    download.RequestInformation();
    QVERIFY(download.FileExists());
    QCOMPARE(download.FileSize(), double(m_content.size()));
    QVERIFY(download.LastModified().endsWith(QLatin1StringView(" GMT")));
    QCOMPARE(download.RemoteFileName(), QString());
    QVERIFY(!download.RemoteFileType().isEmpty());
}

void TestPythonHttpServer::headOfMissingFile()
{
    // Python words its 404 "File not found"; the search ignores case.
    Download download;
    download.SetUrl(Url(QStringLiteral("missing.flv")));
    download.RequestInformation();
    QVERIFY(!download.FileExists());
}

void TestPythonHttpServer::downloadIsByteIdentical()
{
    Download download;
    DownloadRecorder recorder(download);
    download.SetUrl(Url(QStringLiteral("clip.flv")));
    download.SetLocalFile(m_local.filePath(QStringLiteral("clip.flv")));
    QVERIFY(download.StartDownload());

    const int iBlocks = int((m_content.size() + 2047) / 2048);
    QCOMPARE(recorder.events.size(), iBlocks + 2);
    QCOMPARE(recorder.events.mid(iBlocks - 1), (QStringList{"P100", "P100", "C"}));
    QFile file(download.LocalFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll() == m_content);
}

QTEST_GUILESS_MAIN(TestPythonHttpServer)
#include "tst_pythonhttpserver.moc"
