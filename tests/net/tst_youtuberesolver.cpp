#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "net/youtuberesolver.h"
#include "scriptedmessagebox.h"

namespace {

const QByteArray kExpectedRequest =
    "GET /v/abc&hl=en HTTP/1.1\r\n"
    "Host: 127.0.0.1\r\n"
    "Accept: text/xml,application/xml,application/xhtml+xml,text/html;q=0.9,text/plain;q=0.8,"
    "image/png,*/*;q=0.5\r\n"
    "User-Agent: Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; rv:1.8.1.9) Gecko/20071025 "
    "Firefox/2.0.0.9\r\n"
    "Accept -Encoding: gzip , deflate\r\n"
    "Accept-Language: en-us,en;q=0.5\r\n"
    "Accept-Charset: ISO-8859-1,utf-8;q=0.7,*;q=0.7\r\n"
    "Connection: Close\r\n"
    "\r\n";

// A server on 127.0.0.1 that reads one request and then answers as told:
// with the given bytes, by hanging up, or not at all.
class RedirectServer : public QObject
{
public:
    enum class Mode { Answer, HangUp, Silent };

    RedirectServer(Mode mode, QByteArray answer, bool bCloseAfterAnswer)
        : m_mode(mode)
        , m_answer(std::move(answer))
        , m_bCloseAfterAnswer(bCloseAfterAnswer)
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
        });
        if (!m_server.listen(QHostAddress::LocalHost))
            qFatal("cannot listen on 127.0.0.1");
    }

    quint16 port() const { return m_server.serverPort(); }
    QByteArray request;

private:
    void Read(QTcpSocket *socket)
    {
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        if (m_mode == Mode::HangUp) {
            socket->disconnectFromHost();
        } else if (m_mode == Mode::Answer) {
            socket->write(m_answer);
            if (m_bCloseAfterAnswer)
                socket->disconnectFromHost();
        }
    }

    QTcpServer m_server;
    Mode m_mode;
    QByteArray m_answer;
    bool m_bCloseAfterAnswer;
};

} // namespace

class tst_YoutubeResolver : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void redirectAnswers_data();
    void redirectAnswers();
    void refusedConnectionIsReported();
    void serverThatHangsUpGivesEmptyText();
    void silentServerEndsAtTheTimeLimit();
};

void tst_YoutubeResolver::redirectAnswers_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("bCloseAfterAnswer");
    QTest::addColumn<QString>("sExpected");

    const QByteArray redirect = "HTTP/1.1 303 See Other\r\nDate: today\r\n"
                                "Location: http://host/swf/player.swf?video_id=abc&t=xyz\r\n"
                                "Content-Length: 0\r\n\r\n";
    const QString sFile = QStringLiteral("http://127.0.0.1/get_video?video_id=abc&t=xyz");
    QTest::newRow("redirect") << redirect << false << sFile;
    QTest::newRow("redirect, then the server closes") << redirect << true << sFile;
    QTest::newRow("lower-case header")
        << QByteArray("HTTP/1.1 303 See Other\r\nlocation: http://h/p.swf?video_id=abc&t=xyz\r\n\r\n") << true
        << sFile;
    QTest::newRow("no Location") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n") << false << "";
    QTest::newRow("target without a query")
        << QByteArray("HTTP/1.1 302 Found\r\nLocation: http://h/player.swf\r\n\r\n") << false << "";
    QTest::newRow("no line end after the target")
        << QByteArray("HTTP/1.1 302 Found\r\nLocation: http://h/p.swf?video_id=abc") << true << "";
    QTest::newRow("empty target") << QByteArray("HTTP/1.1 302 Found\r\nLocation:\r\n\r\n") << true << "";
    QTest::newRow("Location past 32767 characters")
        << QByteArray("HTTP/1.1 302 Found\r\nX-Pad: ") + QByteArray(33000, 'p')
               + "\r\nLocation: http://h/p.swf?video_id=abc\r\n\r\n"
        << true << "";
}

void tst_YoutubeResolver::redirectAnswers()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, bCloseAfterAnswer);
    QFETCH(QString, sExpected);

    RedirectServer server(RedirectServer::Mode::Answer, answer, bCloseAfterAnswer);
    ScriptedMessageBox messages;
    YoutubeResolver resolver(messages);
    resolver.SetPort(server.port());

    QCOMPARE(resolver.GetYoutubePathLnik(QStringLiteral("http://127.0.0.1/v/abc&hl=en")), sExpected);
    QCOMPARE(resolver.wsHost, QStringLiteral("127.0.0.1"));
    QCOMPARE(resolver.wsLink, QStringLiteral("/v/abc&hl=en"));
    QVERIFY(resolver.bFindYoutubeFinish);
    QCOMPARE(server.request, kExpectedRequest);
    QVERIFY(messages.shown.isEmpty());
}

void tst_YoutubeResolver::refusedConnectionIsReported()
{
    quint16 iClosedPort = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        iClosedPort = probe.serverPort();
    }
    ScriptedMessageBox messages;
    YoutubeResolver resolver(messages);
    resolver.SetPort(iClosedPort);

    // The page's rule then finds no address, rather than the bare host.
    QCOMPARE(resolver.GetYoutubePathLnik(QStringLiteral("http://127.0.0.1/v/abc")), QString());
    QCOMPARE(messages.shown.size(), 1);
    const ScriptedMessageBox::Shown &box = messages.shown.first();
    QCOMPARE(box.buttons, IMessageBox::Buttons::OK);
    QVERIFY2(box.sText.startsWith(QLatin1StringView("Connection Error,")), qPrintable(box.sText));
    const QString sDescription = box.sText.mid(17);
    QVERIFY(!sDescription.isEmpty());
    QVERIFY(!sDescription.startsWith(u' '));
    QVERIFY(resolver.sYoutubeDownLink.isEmpty());
}

void tst_YoutubeResolver::serverThatHangsUpGivesEmptyText()
{
    RedirectServer server(RedirectServer::Mode::HangUp, QByteArray(), false);
    ScriptedMessageBox messages;
    YoutubeResolver resolver(messages);
    resolver.SetPort(server.port());

    QCOMPARE(resolver.GetYoutubePathLnik(QStringLiteral("http://127.0.0.1/v/abc")), QString());
    QVERIFY(messages.shown.isEmpty());
}

void tst_YoutubeResolver::silentServerEndsAtTheTimeLimit()
{
    RedirectServer server(RedirectServer::Mode::Silent, QByteArray(), false);
    ScriptedMessageBox messages;
    YoutubeResolver resolver(messages);
    resolver.SetPort(server.port());
    resolver.SetTimeLimitMs(200);

    QCOMPARE(resolver.GetYoutubePathLnik(QStringLiteral("http://127.0.0.1/v/abc")), QString());
    QVERIFY(resolver.bFindYoutubeFinish);
    QVERIFY(messages.shown.isEmpty());
    QVERIFY(!server.request.isEmpty());
}

QTEST_GUILESS_MAIN(tst_YoutubeResolver)
#include "tst_youtuberesolver.moc"
