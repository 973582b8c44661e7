#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "httptestserver.h"

// clipvane-get on addresses of no supported site, with and without
// --any-site: a link straight to a video file, and a page with <video src>.
class tst_GetAnySite : public QObject
{
    Q_OBJECT

private:
    // Runs clipvane-get with these arguments; its standard output, or
    // "<failed>" when it did not end by itself.
    static QByteArray Get(const QStringList &arguments, int &iExit)
    {
        QProcess get;
        get.start(QStringLiteral(CLIPVANE_GET_PATH), arguments);
        if (!get.waitForFinished(60000) || get.exitStatus() != QProcess::NormalExit)
            return "<failed>";
        iExit = get.exitCode();
        return get.readAllStandardOutput();
    }

private Q_SLOTS:
    void otherSitesOnlyWithTheOption_data();
    void otherSitesOnlyWithTheOption();
    void whereTheAnswerCameFromAndWhatItIs_data();
    void whereTheAnswerCameFromAndWhatItIs();
};

void tst_GetAnySite::otherSitesOnlyWithTheOption_data()
{
    QTest::addColumn<QString>("sPath");
    QTest::addColumn<QString>("sVideoPath");
    QTest::addColumn<bool>("bAnySite");
    QTest::addColumn<QString>("sFileName");

    // Served as a generic type: its extension says what it is. Named after
    // its address.
    const QString sDirect = QStringLiteral("/clips/direct.mp4");
    // Named after its address, with the extension its type stands for.
    const QString sPage = QStringLiteral("/watch/page.html");
    const QString sPageVideo = QStringLiteral("/media/movie");
    QTest::newRow("video file, --any-site") << sDirect << sDirect << true << "direct.mp4";
    QTest::newRow("video file") << sDirect << sDirect << false << QString();
    QTest::newRow("page, --any-site") << sPage << sPageVideo << true << "movie.webm";
    QTest::newRow("page") << sPage << sPageVideo << false << QString();
}

void tst_GetAnySite::otherSitesOnlyWithTheOption()
{
    QFETCH(QString, sPath);
    QFETCH(QString, sVideoPath);
    QFETCH(bool, bAnySite);
    QFETCH(QString, sFileName);

    HttpTestServer server;
    QVERIFY(server.Start());
    const QByteArray direct = QByteArray("direct\0\r\n", 9).repeated(7001);
    const QByteArray movie = QByteArray("movie\xff\n", 7).repeated(5003);
    server.SetRoute(QStringLiteral("/clips/direct.mp4"), HttpTestServer::Ok(direct));
    server.SetRoute(QStringLiteral("/watch/page.html"),
                    HttpTestServer::Ok("<html><body><video controls src=\"/media/movie\">"
                                       "</video></body></html>",
                                       "text/html; charset=utf-8"));
    server.SetRoute(QStringLiteral("/media/movie"), HttpTestServer::Ok(movie, "video/webm"));
    const QString sUrl = server.Url(sPath);
    QTemporaryDir downloads;
    QStringList options{QStringLiteral("--skip-connection-check")};
    if (bAnySite)
        options << QStringLiteral("--any-site") << QStringLiteral("--no-yt-dlp");

    int iExit = -1;
    const QByteArray printed = Get(options + QStringList{QStringLiteral("--print-url"), sUrl}, iExit);
    QCOMPARE(iExit, bAnySite ? 0 : 1);
    QCOMPARE(printed, bAnySite ? server.Url(sVideoPath).toLatin1() + '\n'
                               : QByteArray("-1\tno supported site in the address\n"));

    const QByteArray report = Get(options + QStringList{QStringLiteral("--dir"), downloads.path(), sUrl},
                                  iExit);
    if (!bAnySite) {
        QCOMPARE(iExit, 1);
        QCOMPARE(report, "1\tERROR\tUn supported link\t????\t" + sUrl.toLatin1() + '\n');
        QCOMPARE(QDir(downloads.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
        return;
    }
    QCOMPARE(iExit, 0);
    QVERIFY2(report.startsWith("1\tComplete\t" + sFileName.toLatin1() + '\t'), report.constData());
    QFile file(QDir(downloads.path()).filePath(sFileName));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), sVideoPath == sPath ? direct : movie);
}

void tst_GetAnySite::whereTheAnswerCameFromAndWhatItIs_data()
{
    QTest::addColumn<QString>("sPath");
    QTest::addColumn<QString>("sFileName"); // empty: no file, the item fails
    QTest::addColumn<QByteArray>("reason");

    QTest::newRow("page behind a redirect names a relative address")
        << "/redir/page" << "clip.mp4" << QByteArray();
    QTest::newRow("generic file behind a redirect, named after where it was")
        << "/get/7" << "film.mp4" << QByteArray();
    QTest::newRow("player page declared in og:video:type passed over")
        << "/player/typed.html" << "real.mp4" << QByteArray();
    QTest::newRow("a web page where the file should be")
        << "/player/untyped.html" << QString()
        << QByteArray("clipvane-get: [1] The server sent a web page, not a video file\n");
}

void tst_GetAnySite::whereTheAnswerCameFromAndWhatItIs()
{
    QFETCH(QString, sPath);
    QFETCH(QString, sFileName);
    QFETCH(QByteArray, reason);

    HttpTestServer server;
    QVERIFY(server.Start());
    const QByteArray video = QByteArray("video\0\xfe\n", 9).repeated(3001);
    auto redirect = [&server](const char *sTo) {
        return HttpTestServer::Redirect(server.Url(QLatin1StringView(sTo)).toLatin1());
    };
    auto page = [](const QByteArray &body) { return HttpTestServer::Ok(body, "text/html"); };
    server.SetRoute(QStringLiteral("/redir/page"), redirect("/other/dir/page.html"));
    server.SetRoute(QStringLiteral("/other/dir/page.html"), page("<video src=\"clip.mp4\">"));
    server.SetRoute(QStringLiteral("/other/dir/clip.mp4"), HttpTestServer::Ok(video, "video/mp4"));
    server.SetRoute(QStringLiteral("/get/7"), redirect("/files/film.mp4"));
    server.SetRoute(QStringLiteral("/files/film.mp4"), HttpTestServer::Ok(video));
    server.SetRoute(QStringLiteral("/player/typed.html"),
                    page("<meta property=og:video content=/embed/1>"
                         "<meta property=og:video:type content=text/html>"
                         "<meta property=og:video content=/media/real.mp4>"
                         "<meta property=og:video:type content=video/mp4>"));
    server.SetRoute(QStringLiteral("/player/untyped.html"),
                    page("<meta property=og:video content=/embed/2>"));
    server.SetRoute(QStringLiteral("/embed/1"), page("<html>a player</html>"));
    server.SetRoute(QStringLiteral("/embed/2"), page("<html>a player</html>"));
    server.SetRoute(QStringLiteral("/media/real.mp4"), HttpTestServer::Ok(video, "video/mp4"));

    QTemporaryDir downloads;
    QProcess get;
    get.start(QStringLiteral(CLIPVANE_GET_PATH),
              {QStringLiteral("--skip-connection-check"), QStringLiteral("--any-site"),
               QStringLiteral("--no-yt-dlp"),
               QStringLiteral("--dir"), downloads.path(), server.Url(sPath)});
    QVERIFY(get.waitForFinished(60000));
    const QByteArray report = get.readAllStandardOutput();
    const QStringList kept = QDir(downloads.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    if (sFileName.isEmpty()) {
        QCOMPARE(get.exitCode(), 1);
        QVERIFY2(report.startsWith("1\tERROR\t"), report.constData());
        QVERIFY(get.readAllStandardError().contains(reason));
        QCOMPARE(kept, QStringList());
        return;
    }
    QCOMPARE(get.exitCode(), 0);
    QVERIFY2(report.startsWith("1\tComplete\t" + sFileName.toLatin1() + '\t'), report.constData());
    QCOMPARE(kept, QStringList{sFileName});
    QFile file(QDir(downloads.path()).filePath(sFileName));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), video);
}

QTEST_GUILESS_MAIN(tst_GetAnySite)
#include "tst_getanysite.moc"
