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
        options << QStringLiteral("--any-site");

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

QTEST_GUILESS_MAIN(tst_GetAnySite)
#include "tst_getanysite.moc"
