#include <QtTest>

#include "httptestserver.h"
#include "net/download.h"
#include "session/fileinforesolver.h"
#include "sites/sitedetect.h"

using Response = HttpTestServer::Response;
using namespace modDownload;

class tst_FileInfoResolver : public QObject
{
    Q_OBJECT

    HttpTestServer m_server;

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_server.Start()); }
    void naming_data();
    void naming();
    void addressWithoutAnswerForgetsTheLastFile_data();
    void addressWithoutAnswerForgetsTheLastFile();
};

static Response Disposition(const QByteArray &value)
{
    Response response = HttpTestServer::Ok(QByteArray(10, 'v'), "video/mp4");
    response.headers << qMakePair(QByteArray("Content-Disposition"), value);
    return response;
}

static Response File(int iSize, const QByteArray &suggestedName = QByteArray())
{
    Response response = HttpTestServer::Ok(QByteArray(iSize, 'v'), "video/x-flv");
    if (!suggestedName.isEmpty())
        response.headers << qMakePair(QByteArray("Content-Disposition"),
                                      "attachment; filename=" + suggestedName);
    return response;
}

void tst_FileInfoResolver::naming_data()
{
    QTest::addColumn<QString>("sPath");
    QTest::addColumn<Response>("response");
    QTest::addColumn<qint16>("iSite");
    QTest::addColumn<QString>("sName");
    QTest::addColumn<QString>("sSize");

    QTest::newRow("YouTube address cleaned, .flv added")
        << "/get_video?video_id=abc&t=xyz" << File(1536) << qint16(siteYoutube)
        << "get_videovideo_id=abct=xyz.flv" << "1.5 KB";
    const QString s36(36, QLatin1Char('y'));
    QTest::newRow("YouTube name cut to 35")
        << "/" + s36 << File(10) << qint16(siteYoutube) << QString(31, QLatin1Char('y')) + ".flv"
        << "10 Bytes";
    QTest::newRow("address bytes past ASCII named as UTF-8")
        << "/f%C3%A9%20x.flv" << File(10) << qint16(siteGoogleVideo) << QStringLiteral("f\u00E9%20x.flv")
        << "10 Bytes";
    QTest::newRow("address bytes past ASCII that are no UTF-8 stay escaped")
        << "/f%E9.flv" << File(10) << qint16(siteGoogleVideo) << "f%E9.flv" << "10 Bytes";
    QTest::newRow("flv address beats the server's name")
        << "/movie.FLV" << File(10, "other.avi") << qint16(siteGoogleVideo) << "movie.FLV"
        << "10 Bytes";
    QTest::newRow("DailyMotion doubles .flv")
        << "/clip.flv" << File(10) << qint16(siteDailyMotion) << "clip.flv.flv" << "10 Bytes";
    QTest::newRow("ZippyVideos adds .flv to wmv")
        << "/v.wmv" << File(10) << qint16(siteZippyVideos) << "v.wmv.flv" << "10 Bytes";
    QTest::newRow("server's name, cleaned")
        << "/get?id=1" << File(2097152, "\"my clip.mp4\"") << qint16(siteMyspace)
        << "my clip.mp4" << "2 MB";
    const QString s146(146, QLatin1Char('n'));
    QTest::newRow("long name keeps its extension")
        << "/" + s146 + ".avi" << File(10) << qint16(siteBreak)
        << QString(96, QLatin1Char('n')) + ".avi" << "10 Bytes";
    QTest::newRow("cut before cleaning")
        << "/" + QString(98, QLatin1Char('n')) + "&&&.avi" << File(10) << qint16(siteBreak)
        << QString(96, QLatin1Char('n')) + ".avi" << "10 Bytes";
    QTest::newRow("server's dot dot cannot leave the directory")
        << "/dotdot" << File(10, "..") << qint16(siteGoogleVideo) << "Enter File Name"
        << "10 Bytes";
    QTest::newRow("server's path loses its slashes")
        << "/escape" << File(10, "../../x.mp4") << qint16(siteGoogleVideo) << "....x.mp4"
        << "10 Bytes";

    // The server's name ends at its closing quote, or at the next ";".
    QTest::newRow("quoted name, then a parameter")
        << "/get?id=2" << Disposition("attachment; filename=\"clip.mp4\"; size=5000")
        << qint16(siteBlip) << "clip.mp4" << "10 Bytes";
    QTest::newRow("bare name, then a parameter")
        << "/get?id=3" << Disposition("attachment; filename=clip.mp4; size=5000")
        << qint16(siteBlip) << "clip.mp4" << "10 Bytes";
    QTest::newRow("empty name: the address names it")
        << "/d/video.mp4" << Disposition("attachment; filename=\"\"") << qint16(siteBlip)
        << "video.mp4" << "10 Bytes";
    QTest::newRow("extended name preferred")
        << "/get?id=4"
        << Disposition("attachment; filename=\"plain.mp4\"; filename*=UTF-8''na%C3%AFve%20clip.mp4")
        << qint16(siteBlip) << QStringLiteral("na\u00EFve clip.mp4") << "10 Bytes";
    QTest::newRow("unreadable extended name falls back")
        << "/get?id=5" << Disposition("attachment; filename*=KOI8-R''x.mp4; filename=plain.mp4")
        << qint16(siteBlip) << "plain.mp4" << "10 Bytes";
    // 100 characters, 292 bytes: too long for the file system with ".part".
    QTest::newRow("name too long in bytes")
        << "/get?id=6"
        << Disposition("attachment; filename*=UTF-8''" + QByteArray("%E6%97%A5").repeated(96) + ".mp4")
        << qint16(siteBlip) << QStringLiteral("\u65E5").repeated(82) + ".mp4" << "10 Bytes";

    Response noLength = File(10);
    noLength.addContentLength = false;
    QTest::newRow("confirmed without length") << "/nolength.mp4" << noLength
                                              << qint16(siteBlip) << "nolength.mp4" << "0";
    Response missing = File(0);
    missing.statusLine = "HTTP/1.1 404 Not Found";
    missing.addContentLength = false;
    QTest::newRow("not found") << "/missing.mp4" << missing << qint16(siteBlip) << "missing.mp4"
                               << "-1 Bytes";
    QTest::newRow("no answer") << "http://no-such-host.invalid/d/clip:1.mp4" << Response()
                               << qint16(siteBlip) << "clip1.mp4" << "-1 Bytes";
}

void tst_FileInfoResolver::naming()
{
    QFETCH(QString, sPath);
    QFETCH(Response, response);
    QFETCH(qint16, iSite);
    QFETCH(QString, sName);
    QFETCH(QString, sSize);
    m_server.SetRoute(sPath, response);
    const QString sLink = sPath.startsWith('/') ? m_server.Url(sPath) : sPath;

    Download download;
    FileInfoResolver resolver(download);
    const FileInfo info = resolver.GetFileInfo(sLink, iSite);
    QCOMPARE(info.FileName, sName);
    QCOMPARE(info.FileSize, sSize);
    QCOMPARE(download.Url(), sLink);
}

// The control asked about another file just before; an address that cannot
// be asked about must show nothing of that file.
void tst_FileInfoResolver::addressWithoutAnswerForgetsTheLastFile_data()
{
    QTest::addColumn<QString>("sLink");
    QTest::newRow("relative path") << "/files/clip.flv";
    QTest::newRow("no scheme") << "no-such-host.invalid/files/clip.flv";
    QTest::newRow("ftp") << "ftp://127.0.0.1/files/clip.flv";
    QTest::newRow("http without a host") << "http:///files/clip.flv";
}

void tst_FileInfoResolver::addressWithoutAnswerForgetsTheLastFile()
{
    QFETCH(QString, sLink);
    m_server.SetRoute("/earlier.flv", File(5000, "earlier.flv"));
    Download download;
    FileInfoResolver resolver(download);
    QCOMPARE(resolver.GetFileInfo(m_server.Url("/earlier.flv"), siteBlip).FileSize,
             QStringLiteral("4.9 KB"));

    const FileInfo info = resolver.GetFileInfo(sLink, siteBlip);
    QCOMPARE(info.FileSize, QStringLiteral("-1 Bytes"));
    QCOMPARE(download.FileExists(), false);
    QCOMPARE(download.LastModified(), QStringLiteral("Not Available"));
    QCOMPARE(download.RemoteFileName(), QString());
    QCOMPARE(download.SuggestedFileName(), QString());
    QCOMPARE(download.RemoteFileType(), QString());
    QCOMPARE(download.Url(), sLink);
}

QTEST_GUILESS_MAIN(tst_FileInfoResolver)
#include "tst_fileinforesolver.moc"
