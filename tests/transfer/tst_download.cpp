#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

#include "downloadrecorder.h"
#include "httptestserver.h"
#include "transfer/download.h"

using Response = HttpTestServer::Response;

class TestDownload : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void transfersInBlocks_data();
    void transfersInBlocks();
    void cancelInFirstProgress();
    void openFailures_data();
    void openFailures();
    void readFailures_data();
    void readFailures();
    void existingFileIsNotTruncated();
    void localFileFailures_data();
    void localFileFailures();
    void requestInformation_data();
    void requestInformation();
    void noAnswerForgetsEarlierFile();
    void credentials_data();
    void credentials();
    void requestsAskForIdentityAndNoCache();
    void redirectIsFollowed();
    void sessionLivesUntilTransferEnds();
    void silentServerEndsInError_data();
    void silentServerEndsInError();
    void byteCountsPassTwoGiB();

private:
    QString LocalPath(const QString &sName) const { return m_dir.filePath(sName); }
    // Serves response at sPath and points the control at it and at a local
    // file named after the path.
    void Aim(Download &download, const QString &sPath, const Response &response)
    {
        m_server.SetRoute(sPath, response);
        download.SetUrl(m_server.Url(sPath));
        download.SetLocalFile(LocalPath(QString(sPath).replace(QLatin1Char('/'), QLatin1Char('_'))));
    }
    static QString RefusedUrl();

    HttpTestServer m_server;
    QTemporaryDir m_dir;
};

void TestDownload::initTestCase()
{
    QVERIFY(m_server.Start());
    QVERIFY(m_dir.isValid());
}

QString TestDownload::RefusedUrl()
{
    // A port that was free a moment ago refuses connections.
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 iPort = probe.serverPort();
    probe.close();
    return QStringLiteral("http://127.0.0.1:%1/file.flv").arg(iPort);
}

// The current data row's name, fit for a path or a file name.
static QString Tag()
{
    return QString::fromLatin1(QTest::currentDataTag()).replace(QRegularExpression("[^A-Za-z0-9]"), "-");
}

static QByteArray Bytes(int iSize)
{
    QByteArray data(iSize, Qt::Uninitialized);
    for (int i = 0; i < iSize; ++i)
        data[i] = char('a' + i % 26);
    return data;
}

void TestDownload::transfersInBlocks_data()
{
    QTest::addColumn<Response>("response");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("iSize");

    QTest::newRow("exactly one block") << HttpTestServer::Ok(Bytes(2048))
                                       << QStringList{"P100", "P100", "C"} << 2048;
    QTest::newRow("short second block") << HttpTestServer::Ok(Bytes(3000))
                                        << QStringList{"P68", "P100", "P100", "C"} << 3000;
    QTest::newRow("empty file") << HttpTestServer::Ok(QByteArray()) << QStringList{"P0", "C"} << 0;

    Response noLength = HttpTestServer::Ok(Bytes(3000));
    noLength.addContentLength = false;
    QTest::newRow("no Content-Length: byte counts")
        << noLength << QStringList{"P2048", "P3000", "P3000", "C"} << 3000;

    Response chunked = HttpTestServer::Ok(Bytes(5000));
    chunked.chunked = true;
    QTest::newRow("chunked") << chunked << QStringList{"P2048", "P4096", "P5000", "P5000", "C"}
                             << 5000;

    // Blocks stay whole however the data dribbles in.
    Response trickle = HttpTestServer::Ok(Bytes(5000));
    trickle.trickleBytes = 700;
    trickle.trickleIntervalMs = 10;
    QTest::newRow("slow trickle") << trickle << QStringList{"P41", "P82", "P100", "P100", "C"}
                                  << 5000;

    Response notFound = HttpTestServer::Ok("<html>gone</html>", "text/html");
    notFound.statusLine = "HTTP/1.1 404 Not Found";
    QTest::newRow("404 body is still transferred")
        << notFound << QStringList{"P100", "P100", "C"} << 17;
}

void TestDownload::transfersInBlocks()
{
    QFETCH(Response, response);
    QFETCH(QStringList, expected);
    QFETCH(int, iSize);
    const QString sPath = QStringLiteral("/blocks/%1.flv").arg(Tag());

    // A fresh control asks for the size itself before its first transfer.
    Download download;
    DownloadRecorder recorder(download);
    Aim(download, sPath, response);
    QVERIFY(download.StartDownload());
    QCOMPARE(recorder.events, expected);

    QFile file(download.LocalFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), response.body.left(iSize));
}

void TestDownload::cancelInFirstProgress()
{
    Download download;
    DownloadRecorder recorder(download);
    recorder.onProgress = [&download](qint64) { download.CancelDownload(); };
    Aim(download, QStringLiteral("/cancel.flv"), HttpTestServer::Ok(Bytes(5000)));

    QVERIFY(!download.StartDownload());
    QCOMPARE(recorder.events, (QStringList{"P41", "X2048"}));
    QCOMPARE(QFileInfo(download.LocalFile()).size(), 2048);
}

void TestDownload::openFailures_data()
{
    QTest::addColumn<QString>("sUrl");

    Response closeEarly;
    closeEarly.closeWithoutAnswer = true;
    m_server.SetRoute(QStringLiteral("/close-early"), closeEarly);
    Response notHttp;
    notHttp.rawAnswer = "SSH-2.0-OpenSSH_9.2\r\n";
    m_server.SetRoute(QStringLiteral("/not-http"), notHttp);
    const QString sRefused = RefusedUrl();
    m_server.SetRoute(QStringLiteral("/to-refused"), HttpTestServer::Redirect(sRefused.toUtf8()));

    QTest::newRow("unresolvable host") << QStringLiteral("http://no-such-host.invalid/a.flv");
    QTest::newRow("refused connection") << sRefused;
    QTest::newRow("closed before headers") << m_server.Url(QStringLiteral("/close-early"));
    QTest::newRow("not HTTP") << m_server.Url(QStringLiteral("/not-http"));
    QTest::newRow("redirect to refused") << m_server.Url(QStringLiteral("/to-refused"));
    QTest::newRow("not an http address") << QStringLiteral("ftp://127.0.0.1/a.flv");
}

void TestDownload::openFailures()
{
    QFETCH(QString, sUrl);
    Download download;
    DownloadRecorder recorder(download);
    download.SetUrl(sUrl);
    download.SetLocalFile(LocalPath(QStringLiteral("open-%1").arg(Tag())));

    QVERIFY(!download.StartDownload());
    QCOMPARE(recorder.events, QStringList{"E:Could not find Url"});
    QVERIFY(!QFile::exists(download.LocalFile()));
    QVERIFY(download.LastError().isEmpty());
}

void TestDownload::readFailures_data()
{
    QTest::addColumn<Response>("response");

    Response cut = HttpTestServer::Ok(Bytes(10000));
    cut.cutAfter = 5000;
    QTest::newRow("body shorter than Content-Length") << cut;
    Response reset = cut;
    reset.resetAtCut = true;
    QTest::newRow("reset mid-body") << reset;
}

void TestDownload::readFailures()
{
    QFETCH(Response, response);
    const QString sPath = QStringLiteral("/read/%1").arg(Tag());
    Download download;
    DownloadRecorder recorder(download);
    Aim(download, sPath, response);

    QVERIFY(!download.StartDownload());
    QCOMPARE(recorder.events.last(), QStringLiteral("E:Could not read URL"));
    QVERIFY(!recorder.events.contains(QStringLiteral("C")));
    // The part received stays on disk.
    QFile file(download.LocalFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.size() <= 5000);
    QCOMPARE(file.readAll(), Bytes(10000).left(file.size()));
}

void TestDownload::existingFileIsNotTruncated()
{
    const QString sLocal = LocalPath(QStringLiteral("longer-before.flv"));
    QFile old(sLocal);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(5000, 'x'));
    old.close();
    m_server.SetRoute(QStringLiteral("/shorter.flv"), HttpTestServer::Ok(Bytes(3000)));

    Download download;
    download.SetUrl(m_server.Url(QStringLiteral("/shorter.flv")));
    download.SetLocalFile(sLocal);
    QVERIFY(download.StartDownload());
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), Bytes(3000) + QByteArray(2000, 'x'));
}

void TestDownload::localFileFailures_data()
{
    QTest::addColumn<QString>("sLocal");
    QTest::newRow("missing directory") << LocalPath(QStringLiteral("no-such-dir/a.flv"));
    QTest::newRow("path is a directory") << m_dir.path();
    const QString sLocked = LocalPath(QStringLiteral("locked"));
    QDir().mkpath(sLocked);
    QFile::setPermissions(sLocked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QTest::newRow("no permission") << sLocked + QStringLiteral("/a.flv");
    QTest::newRow("disk full") << QStringLiteral("/dev/full");
}

void TestDownload::localFileFailures()
{
    QFETCH(QString, sLocal);
    if (QTest::currentDataTag() == QByteArray("no permission") && ::geteuid() == 0)
        QSKIP("permissions do not stop root");
    Download download;
    DownloadRecorder recorder(download);
    Aim(download, QStringLiteral("/local.flv"), HttpTestServer::Ok(Bytes(3000)));
    download.SetLocalFile(sLocal);

    QVERIFY(!download.StartDownload());
    // Not a transfer event: the caller sees it in the result and LastError.
    QVERIFY(!recorder.events.contains(QStringLiteral("C")));
    QVERIFY(recorder.events.filter(QRegularExpression("^E:")).isEmpty());
    QVERIFY(download.LastError().contains(sLocal));
    // The control is usable again afterwards.
    download.SetLocalFile(LocalPath(QStringLiteral("after-local-failure")));
    QVERIFY(download.StartDownload());
}

void TestDownload::requestInformation_data()
{
    QTest::addColumn<Response>("response");
    QTest::addColumn<bool>("bExists");
    QTest::addColumn<QString>("sLastModified");
    QTest::addColumn<double>("dSize");
    QTest::addColumn<QString>("sName");
    QTest::addColumn<QString>("sType");

    const QByteArray date = "Tue, 01 Dec 2026 10:00:00 GMT";
    Response full = HttpTestServer::Ok(Bytes(1234), "video/x-flv");
    full.headers << qMakePair(QByteArray("Last-Modified"), date)
                 << qMakePair(QByteArray("Content-Disposition"),
                              QByteArray("attachment; filename=\"clip one.flv\"; size=1234"));
    QTest::newRow("all five") << full << true << QString(date) << 1234.0
                              << "\"clip one.flv\"; size=1234" << "x-flv";

    Response notFound = full;
    notFound.statusLine = "HTTP/1.1 404 Not Found";
    QTest::newRow("404 Not Found") << notFound << false << QString(date) << 1234.0
                                   << "\"clip one.flv\"; size=1234" << "x-flv";
    Response fileNotFound = HttpTestServer::Ok("x", "text/html");
    fileNotFound.statusLine = "HTTP/1.1 404 file not found";
    QTest::newRow("404 File Not Found") << fileNotFound << false << "Not Available" << 1.0 << ""
                                        << "html";
    Response otherWording = fileNotFound;
    otherWording.statusLine = "HTTP/1.1 404 Nothing Here";
    QTest::newRow("404 worded differently") << otherWording << true << "Not Available" << 1.0
                                            << "" << "html";

    Response charset = HttpTestServer::Ok("x", "text/html; charset=UTF-8");
    QTest::newRow("type keeps its parameters") << charset << true << "Not Available" << 1.0 << ""
                                               << "html; charset=UTF-8";
    Response noSlash = HttpTestServer::Ok("x", "weird");
    QTest::newRow("type without slash") << noSlash << true << "Not Available" << 1.0 << ""
                                        << "weird";
    Response noLength = HttpTestServer::Ok("x", "video/mp4");
    noLength.addContentLength = false;
    QTest::newRow("no length") << noLength << true << "Not Available" << -1.0 << "" << "mp4";

    // Far past the 1024 bytes an old header buffer could hold.
    Response longBlock = full;
    for (int i = 0; i < 60; ++i)
        longBlock.headers.prepend(qMakePair(QByteArray("X-Padding-") + QByteArray::number(i),
                                            QByteArray(100, 'p')));
    QTest::newRow("long header block") << longBlock << true << QString(date) << 1234.0
                                       << "\"clip one.flv\"; size=1234" << "x-flv";

    Response big = HttpTestServer::Ok("", "video/mp4");
    big.addContentLength = false;
    big.headers << qMakePair(QByteArray("Content-Length"), QByteArray("6442450944"));
    QTest::newRow("6 GiB") << big << true << "Not Available" << 6442450944.0 << "" << "mp4";
}

void TestDownload::requestInformation()
{
    QFETCH(Response, response);
    QFETCH(bool, bExists);
    QFETCH(QString, sLastModified);
    QFETCH(double, dSize);
    QFETCH(QString, sName);
    QFETCH(QString, sType);
    const QString sPath = QStringLiteral("/info/%1").arg(Tag());
    m_server.SetRoute(sPath, response);

    Download download;
    download.SetUrl(m_server.Url(sPath));
    download.RequestInformation();
    QCOMPARE(download.FileExists(), bExists);
    QCOMPARE(download.LastModified(), sLastModified);
    QCOMPARE(download.FileSize(), dSize);
    QCOMPARE(download.RemoteFileName(), sName);
    QCOMPARE(download.RemoteFileType(), sType);
}

void TestDownload::noAnswerForgetsEarlierFile()
{
    Response named = HttpTestServer::Ok("x", "video/x-flv");
    named.headers << qMakePair(QByteArray("Content-Disposition"), QByteArray("filename=old.flv"));
    m_server.SetRoute(QStringLiteral("/named.flv"), named);
    Download download;
    download.SetUrl(m_server.Url(QStringLiteral("/named.flv")));
    download.RequestInformation();
    QCOMPARE(download.RemoteFileName(), QStringLiteral("old.flv"));

    download.SetUrl(RefusedUrl());
    download.RequestInformation();
    QCOMPARE(download.FileExists(), false);
    QCOMPARE(download.LastModified(), QStringLiteral("Not Available"));
    QCOMPARE(download.FileSize(), -1.0);
    QCOMPARE(download.RemoteFileName(), QString());
    QCOMPARE(download.RemoteFileType(), QString());
}

void TestDownload::credentials_data()
{
    QTest::addColumn<QString>("sUser");
    QTest::addColumn<QString>("sPassword");
    QTest::addColumn<double>("dSize");
    QTest::newRow("right credentials") << "ann" << "secret" << 4321.0;
    QTest::newRow("wrong password") << "ann" << "guess" << 11.0;
    QTest::newRow("password without user is not sent") << "" << "secret" << 11.0;
}

void TestDownload::credentials()
{
    QFETCH(QString, sUser);
    QFETCH(QString, sPassword);
    QFETCH(double, dSize);
    Response guarded = HttpTestServer::Ok(Bytes(4321));
    guarded.basicAuth = "ann:secret";
    m_server.SetRoute(QStringLiteral("/guarded.flv"), guarded);
    Download download;
    download.SetUrl(m_server.Url(QStringLiteral("/guarded.flv")));
    download.SetSiteUser(sUser);
    download.SetSitePassword(sPassword);
    download.RequestInformation();
    // The 401 challenge carries an 11-byte body.
    QCOMPARE(download.FileSize(), dSize);
}

void TestDownload::requestsAskForIdentityAndNoCache()
{
    const qsizetype iBefore = m_server.RequestHeads().size();
    Download download;
    Aim(download, QStringLiteral("/heads.flv"), HttpTestServer::Ok(Bytes(100)));
    QVERIFY(download.StartDownload());

    const QList<QByteArray> heads = m_server.RequestHeads().mid(iBefore);
    QCOMPARE(heads.size(), 2);
    QVERIFY(heads[0].startsWith("HEAD /heads.flv "));
    QVERIFY(heads[1].startsWith("GET /heads.flv "));
    for (const QByteArray &head : heads) {
        const QByteArray lower = head.toLower();
        QVERIFY(head.contains(
            "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)"));
        QVERIFY(lower.contains("\r\naccept-encoding: identity"));
        QVERIFY(lower.contains("\r\ncache-control: no-cache"));
    }
}

void TestDownload::redirectIsFollowed()
{
    m_server.SetRoute(QStringLiteral("/new.flv"), HttpTestServer::Ok(Bytes(3000)));
    Download download;
    DownloadRecorder recorder(download);
    Aim(download, QStringLiteral("/old.flv"),
        HttpTestServer::Redirect(m_server.Url(QStringLiteral("/new.flv")).toUtf8()));
    QVERIFY(download.StartDownload());
    QCOMPARE(download.FileSize(), 3000.0);
    QCOMPARE(recorder.events, (QStringList{"P68", "P100", "P100", "C"}));
    QCOMPARE(QFileInfo(download.LocalFile()).size(), 3000);
}

void TestDownload::sessionLivesUntilTransferEnds()
{
    m_server.SetRoute(QStringLiteral("/session.flv"), HttpTestServer::Ok(Bytes(10)));
    Download download;
    download.SetUrl(QStringLiteral("http://no-such-host.invalid/a.flv"));
    download.SetLocalFile(LocalPath(QStringLiteral("session.flv")));
    QVERIFY(!download.StartDownload());
    QVERIFY(download.SessionOpen()); // an address that can't be opened keeps it

    download.SetUrl(m_server.Url(QStringLiteral("/session.flv")));
    QVERIFY(download.StartDownload());
    QVERIFY(!download.SessionOpen());
    // Once a transfer has begun, an information request drops it again.
    download.RequestInformation();
    QVERIFY(!download.SessionOpen());
}

void TestDownload::silentServerEndsInError_data()
{
    QTest::addColumn<Response>("response");
    QTest::addColumn<QString>("sError");

    Response silent;
    silent.neverAnswer = true;
    QTest::newRow("no answer") << silent << "E:Could not find Url";
    // After the HEAD request, the body stops after one piece.
    Response stalled = HttpTestServer::Ok(Bytes(5000));
    stalled.trickleBytes = 3000;
    stalled.trickleIntervalMs = 60 * 60 * 1000;
    QTest::newRow("body stops") << stalled << "E:Could not read URL";
}

void TestDownload::silentServerEndsInError()
{
    QFETCH(Response, response);
    QFETCH(QString, sError);
    Download download;
    DownloadRecorder recorder(download);
    download.SetInactivityTimeoutSeconds(1);
    Aim(download, QStringLiteral("/silent/%1").arg(Tag()), response);
    QVERIFY(!download.StartDownload());
    QCOMPARE(recorder.events.last(), sError);
}

// Byte counts are 64-bit: a file of unknown size past 2 GiB reports its
// real position. The body is a sparse file and the copy goes to /dev/null.
void TestDownload::byteCountsPassTwoGiB()
{
    const qint64 lSize = (qint64(1) << 31) + 5000;
    QFile sparse(LocalPath(QStringLiteral("sparse.bin")));
    QVERIFY(sparse.open(QIODevice::WriteOnly));
    QVERIFY(sparse.resize(lSize));
    sparse.close();
    Response response;
    response.bodyFile = sparse.fileName();
    response.addContentLength = false;

    Download download;
    qint64 lLast = 0;
    int iEvents = 0;
    connect(&download, &Download::DownloadProgress, this, [&](qint64 lProgress) {
        lLast = lProgress;
        ++iEvents;
    });
    Aim(download, QStringLiteral("/two-gib.bin"), response);
    download.SetLocalFile(QStringLiteral("/dev/null"));
    QVERIFY(download.StartDownload());
    QCOMPARE(lLast, lSize);
    QCOMPARE(iEvents, int(lSize / 2048) + 2);
}

QTEST_GUILESS_MAIN(TestDownload)
#include "tst_download.moc"
