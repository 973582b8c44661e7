#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "sites/sitedetect.h"
#include "sites/siterules.h"

using namespace modDownload;

// The rule for pages of no supported site, through the same dispatch the
// page retrieval uses, over small pages marked up the way real ones are.
class tst_AnySite : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pageNamesItsVideo_data();
    void pageNamesItsVideo();
};

void tst_AnySite::pageNamesItsVideo_data()
{
    QTest::addColumn<QString>("sAddress");
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("sExpected");
    QTest::addColumn<bool>("bPlaylistOnly");

    const QString A = QStringLiteral("https://news.example.org/story/42.html");
    const QByteArray video = "<video controls src=\"https://cdn.example.org/tag.mp4\"></video>";
    const QByteArray jsonLd = "<script type=\"application/ld+json\">{\"@context\":\"https://schema.org\","
                              "\"@type\":\"VideoObject\",\"contentUrl\":\"https://cdn.example.org/ld.mp4\"}"
                              "</script>";

    QTest::newRow("og: secure_url, then url, then video")
        << A
        << QByteArray("<meta property=\"og:video\" content=\"https://cdn.example.org/plain.mp4\">"
                      "<meta property=\"og:video:url\" content=\"https://cdn.example.org/url.mp4\">"
                      "<meta property=\"og:video:secure_url\" content=\"https://cdn.example.org/secure.mp4\">")
        << "https://cdn.example.org/secure.mp4" << false;
    QTest::newRow("og: name=, content first, single quotes")
        << A << QByteArray("<meta content='https://cdn.example.org/named.mp4' name='og:video'/>")
        << "https://cdn.example.org/named.mp4" << false;
    QTest::newRow("og: capitals, content amid other attributes")
        << A
        << QByteArray("<META data-x=\"1\" CONTENT=\"https://cdn.example.org/caps.mp4\" id=m "
                      "PROPERTY=\"og:video:url\">")
        << "https://cdn.example.org/caps.mp4" << false;
    QTest::newRow("twitter stream before JSON-LD and <video>")
        << A
        << video + jsonLd
               + "<meta name=\"twitter:player:stream\" content=\"https://cdn.example.org/tw.mp4\">"
        << "https://cdn.example.org/tw.mp4" << false;
    QTest::newRow("JSON-LD before <video>") << A << video + jsonLd
                                           << "https://cdn.example.org/ld.mp4" << false;
    QTest::newRow("JSON-LD in @graph, relative")
        << A
        << QByteArray("<script type='application/ld+json'>{\"@graph\":[{\"@type\":\"WebPage\"},"
                      "{\"@type\":[\"VideoObject\"],\"contentUrl\":\"/media/graph.mp4\"}]}</script>")
        << "https://news.example.org/media/graph.mp4" << false;
    QTest::newRow("JSON-LD top-level list")
        << A
        << QByteArray("<script type=\"application/ld+json\">[{\"@type\":\"Organization\"},"
                      "{\"@type\":\"VideoObject\",\"name\":\"<video src=x>\","
                      "\"contentUrl\":\"https://cdn.example.org/list.mp4\"}]</script>")
        << "https://cdn.example.org/list.mp4" << false;
    QTest::newRow("broken JSON-LD ignored, the next form tried")
        << A
        << QByteArray("<script type=\"application/ld+json\">{\"@type\":\"VideoObject\","
                      "\"contentUrl\":\"https://cdn.example.org/broken.mp4\",</script>")
               + video
        << "https://cdn.example.org/tag.mp4" << false;
    QTest::newRow("<video src> relative to the page")
        << A << QByteArray("<VIDEO autoplay SRC=media/clip.webm>")
        << "https://news.example.org/story/media/clip.webm" << false;
    QTest::newRow("<source>: playlists skipped by type and by extension")
        << A
        << QByteArray("<video><source src=\"/live/master\" type=\"application/x-mpegURL\">"
                      "<source src=\"/live/dash.mpd\"><source type='video/mp4' src='/v/720.mp4'>"
                      "</video>")
        << "https://news.example.org/v/720.mp4" << false;
    QTest::newRow("<source> outside <video> ignored; protocol-relative media link")
        << A
        << QByteArray("<audio><source src=\"/a.mp3\"></audio><a href=\"/page.html\">page</a>"
                      "<a class=btn href=//dl.example.net/films/film.MKV?token=1&amp;s=2>get</a>")
        << "https://dl.example.net/films/film.MKV?token=1&s=2" << false;
    QTest::newRow("character references")
        << A
        << QByteArray("<meta property=\"og:video\" "
                      "content=\"https://cdn.example.org/v.mp4?a=1&#38;b=2&#x26;c=&quot;3&quot;\">")
        << "https://cdn.example.org/v.mp4?a=1&b=2&c=%223%22" << false;
    QTest::newRow("<base href> absolute")
        << A
        << QByteArray("<head><base href=\"https://static.example.com/assets/\"></head>"
                      "<video src=\"v/clip.mp4\"></video>")
        << "https://static.example.com/assets/v/clip.mp4" << false;
    QTest::newRow("<base href> relative")
        << QStringLiteral("http://blog.example.org/post/7")
        << QByteArray("<base href=\"/media/\"><video src=\"c.mp4\"></video>")
        << "http://blog.example.org/media/c.mp4" << false;
    QTest::newRow("comments and scripts hide their tags")
        << A
        << QByteArray("<!-- <video src=\"/old.mp4\"> --><script>var s = '<video src=\"/js.mp4\">';"
                      "</script><a href=\"/real.mp4\">")
        << "https://news.example.org/real.mp4" << false;
    QTest::newRow("only http and https taken")
        << A
        << QByteArray("<meta property=\"og:video\" content=\"blob:https://news.example.org/1\">"
                      "<video src=\"data:video/mp4;base64,AAAA\"></video>"
                      "<a href=\"ftp://files.example.org/y.mp4\">y</a>")
        << QString() << false;
    QTest::newRow("playlist only")
        << A
        << QByteArray("<meta property=\"og:video\" content=\"https://cdn.example.org/live.m3u8\">"
                      "<video><source src=\"/hls\" type=\"application/vnd.apple.mpegurl\"></video>")
        << QString() << true;
    // The site's own rule decides even where the page names a video the
    // standard way too.
    QTest::newRow("page of a supported site")
        << QStringLiteral("http://www.angryalien.com/0604/")
        << QByteArray("<meta property=\"og:video\" content=\"https://cdn.example.org/og.mp4\">"
                      "<embed src=\"http://www.angryalien.com/0604/bunnies.swf\" quality=high>")
        << "http://www.angryalien.com/0604/bunnies.swf" << false;
}

void tst_AnySite::pageNamesItsVideo()
{
    QFETCH(QString, sAddress);
    QFETCH(QByteArray, page);
    QFETCH(QString, sExpected);
    QFETCH(bool, bPlaylistOnly);

    QTemporaryDir dir;
    QFile scratch(dir.filePath(QStringLiteral("Parse.wvi")));
    QVERIFY(scratch.open(QIODevice::WriteOnly));
    scratch.write(page);
    scratch.close();

    bool bPlaylist = !bPlaylistOnly;
    const QString sFound = RunSiteRule(DetectSite(sAddress), scratch.fileName(), sAddress,
                                       [](const QString &) { return QString(); }, &bPlaylist);
    QCOMPARE(sFound, sExpected);
    QCOMPARE(bPlaylist, bPlaylistOnly);
}

QTEST_GUILESS_MAIN(tst_AnySite)
#include "tst_anysite.moc"
