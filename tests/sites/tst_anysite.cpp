#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>

#include "hostilepage.h"
#include "sites/anysite.h"
#include "sites/sitedetect.h"
#include "sites/siterules.h"

namespace {

QString WritePage(const QTemporaryDir &dir, const QByteArray &page)
{
    QFile scratch(dir.filePath(QStringLiteral("Parse.wvi")));
    if (!scratch.open(QIODevice::WriteOnly) || scratch.write(page) != page.size())
        qFatal("cannot write the page");
    return scratch.fileName();
}

// The CPU time of this thread: other programs on a busy machine do not count.
qint64 ThreadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

} // namespace

using namespace modDownload;

// The rule for pages of no supported site, through the same dispatch the
// page retrieval uses, over small pages marked up the way real ones are.
class tst_AnySite : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pageNamesItsVideo_data();
    void pageNamesItsVideo();
    void onlyAWholeAddressIsWanted_data();
    void onlyAWholeAddressIsWanted();
    void hostilePageIsReadInLinearTime();
};

void tst_AnySite::pageNamesItsVideo_data()
{
    QTest::addColumn<QString>("sAddress");
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("sExpected");

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
        << "https://cdn.example.org/secure.mp4";
    QTest::newRow("og: name=, content first, single quotes")
        << A << QByteArray("<meta content='https://cdn.example.org/named.mp4' name='og:video'/>")
        << "https://cdn.example.org/named.mp4";
    QTest::newRow("og: capitals, content amid other attributes")
        << A
        << QByteArray("<META data-x=\"1\" CONTENT=\"https://cdn.example.org/caps.mp4\" id=m "
                      "PROPERTY=\"og:video:url\">")
        << "https://cdn.example.org/caps.mp4";
    QTest::newRow("twitter stream before JSON-LD and <video>")
        << A
        << video + jsonLd
               + "<meta name=\"twitter:player:stream\" content=\"https://cdn.example.org/tw.mp4\">"
        << "https://cdn.example.org/tw.mp4";
    QTest::newRow("JSON-LD before <video>") << A << video + jsonLd
                                           << "https://cdn.example.org/ld.mp4";
    QTest::newRow("JSON-LD in @graph, relative")
        << A
        << QByteArray("<script type='application/ld+json'>{\"@graph\":[{\"@type\":\"WebPage\"},"
                      "{\"@type\":[\"VideoObject\"],\"contentUrl\":\"/media/graph.mp4\"}]}</script>")
        << "https://news.example.org/media/graph.mp4";
    QTest::newRow("JSON-LD top-level list")
        << A
        << QByteArray("<script type=\"application/ld+json\">[{\"@type\":\"Organization\"},"
                      "{\"@type\":\"VideoObject\",\"name\":\"<video src=x>\","
                      "\"contentUrl\":\"https://cdn.example.org/list.mp4\"}]</script>")
        << "https://cdn.example.org/list.mp4";
    QTest::newRow("broken JSON-LD ignored, the next form tried")
        << A
        << QByteArray("<script type=\"application/ld+json\">{\"@type\":\"VideoObject\","
                      "\"contentUrl\":\"https://cdn.example.org/broken.mp4\",</script>")
               + video
        << "https://cdn.example.org/tag.mp4";
    QTest::newRow("<video src> relative to the page")
        << A << QByteArray("<VIDEO autoplay SRC=media/clip.webm>")
        << "https://news.example.org/story/media/clip.webm";
    QTest::newRow("<source>: an HLS playlist by type, first in order")
        << A
        << QByteArray("<video><source src=\"/live/master\" type=\"application/x-mpegURL\">"
                      "<source src=\"/live/dash.mpd\"><source type='video/mp4' src='/v/720.mp4'>"
                      "</video>")
        << "https://news.example.org/live/master";
    QTest::newRow("<source>: a DASH manifest by extension")
        << A
        << QByteArray("<video><source type='image/png' src='/poster.png'>"
                      "<source src=\"/live/dash.mpd\" type=\"application/dash+xml\"></video>")
        << "https://news.example.org/live/dash.mpd";
    QTest::newRow("a link to a playlist")
        << A << QByteArray("<a href=\"/page.html\">p</a><a href=\"/s/index.m3u8\">watch</a>")
        << "https://news.example.org/s/index.m3u8";
    QTest::newRow("<source> outside <video> ignored; protocol-relative media link")
        << A
        << QByteArray("<audio><source src=\"/a.mp3\"></audio><a href=\"/page.html\">page</a>"
                      "<a class=btn href=//dl.example.net/films/film.MKV?token=1&amp;s=2>get</a>")
        << "https://dl.example.net/films/film.MKV?token=1&s=2";
    QTest::newRow("character references")
        << A
        << QByteArray("<meta property=\"og:video\" "
                      "content=\"https://cdn.example.org/v.mp4?a=1&#38;b=2&#x26;c=&quot;3&quot;\">")
        << "https://cdn.example.org/v.mp4?a=1&b=2&c=%223%22";
    QTest::newRow("<base href> absolute")
        << A
        << QByteArray("<head><base href=\"https://static.example.com/assets/\"></head>"
                      "<video src=\"v/clip.mp4\"></video>")
        << "https://static.example.com/assets/v/clip.mp4";
    QTest::newRow("<base href> relative")
        << QStringLiteral("http://blog.example.org/post/7")
        << QByteArray("<base href=\"/media/\"><video src=\"c.mp4\"></video>")
        << "http://blog.example.org/media/c.mp4";
    QTest::newRow("comments and scripts hide their tags")
        << A
        << QByteArray("<!-- <video src=\"/old.mp4\"> --><script>var s = '<video src=\"/js.mp4\">';"
                      "</script><a href=\"/real.mp4\">")
        << "https://news.example.org/real.mp4";
    QTest::newRow("only http and https taken")
        << A
        << QByteArray("<meta property=\"og:video\" content=\"blob:https://news.example.org/1\">"
                      "<video src=\"data:video/mp4;base64,AAAA\"></video>"
                      "<a href=\"ftp://files.example.org/y.mp4\">y</a>")
        << QString();
    QTest::newRow("og:video playlist before <source> playlist")
        << A
        << QByteArray("<meta property=\"og:video\" content=\"https://cdn.example.org/live.m3u8\">"
                      "<video><source src=\"/hls\" type=\"application/vnd.apple.mpegurl\"></video>")
        << "https://cdn.example.org/live.m3u8";
    QTest::newRow("og: a player page, by its declared type, is no video")
        << A
        << QByteArray("<meta property=\"og:video\" content=\"https://player.example.org/embed/1\">"
                      "<meta property=\"og:video:type\" content=\"text/html\">"
                      "<meta property=\"og:video\" content=\"https://cdn.example.org/real.mp4\">"
                      "<meta property=\"og:video:type\" content=\"video/mp4\">")
        << "https://cdn.example.org/real.mp4";
    QTest::newRow("og: a type before its address; the next form tried")
        << A
        << QByteArray("<meta property=\"og:video:type\" content=\"application/x-shockwave-flash\">"
                      "<meta property=\"og:video:secure_url\" content=\"https://cdn.example.org/p.swf\">")
               + video
        << "https://cdn.example.org/tag.mp4";
    QTest::newRow("twitter stream and <source> of other types skipped")
        << A
        << QByteArray("<meta name=\"twitter:player:stream\" content=\"https://cdn.example.org/tw\">"
                      "<meta name=\"twitter:player:stream:content_type\" content=\"text/html\">"
                      "<video><source src=\"/player\" type=\"text/html\">"
                      "<source src=\"/v.webm\" type=\"video/webm; codecs=vp9\"></video>")
        << "https://news.example.org/v.webm";
    QTest::newRow("bare '&' kept, references decoded")
        << A << QByteArray("<video src=\"/v.mp4?a=1&b&amp;c=&#38;&lt&x&unknown;\">")
        << "https://news.example.org/v.mp4?a=1&b&c=&&lt&x&unknown;";
    // The site's own rule decides even where the page names a video the
    // standard way too.
    QTest::newRow("page of a supported site")
        << QStringLiteral("http://www.angryalien.com/0604/")
        << QByteArray("<meta property=\"og:video\" content=\"https://cdn.example.org/og.mp4\">"
                      "<embed src=\"http://www.angryalien.com/0604/bunnies.swf\" quality=high>")
        << "http://www.angryalien.com/0604/bunnies.swf";
}

void tst_AnySite::pageNamesItsVideo()
{
    QFETCH(QString, sAddress);
    QFETCH(QByteArray, page);
    QFETCH(QString, sExpected);

    QTemporaryDir dir;
    const QString sFound = RunSiteRule(DetectSite(sAddress), WritePage(dir, page), sAddress,
                                       [](const QString &) { return QString(); });
    QCOMPARE(sFound, sExpected);
}

void tst_AnySite::onlyAWholeAddressIsWanted_data()
{
    QTest::addColumn<QString>("sText");
    QTest::addColumn<bool>("bAnySite");
    QTest::addColumn<bool>("bWanted");

    const QString sSentence = QStringLiteral("ask Bob about the dailymotion.com contract, budget 5000");
    QTest::newRow("supported site") << "http://www.dailymotion.com/video/x1" << false << true;
    QTest::newRow("white space around") << " \thttps://youtube.com/watch?v=1 \n" << false << true;
    QTest::newRow("sentence naming a site") << sSentence << false << false;
    QTest::newRow("sentence naming a site, Any Site") << sSentence << true << false;
    QTest::newRow("two addresses") << "http://youtube.com/a http://youtube.com/b" << false << false;
    QTest::newRow("no scheme") << "dailymotion.com/video/x1" << false << false;
    QTest::newRow("another scheme") << "ftp://youtube.com/x.flv" << false << false;
    QTest::newRow("other site") << "https://example.org/v" << false << false;
    QTest::newRow("other site, Any Site") << "https://example.org/v" << true << true;
}

void tst_AnySite::onlyAWholeAddressIsWanted()
{
    QFETCH(QString, sText);
    QFETCH(bool, bAnySite);
    QFETCH(bool, bWanted);
    QCOMPARE(IsWanted(sText, bAnySite), bWanted);
}

// A page is read on the window's thread. A 16 MiB page takes about 0.2 s,
// 0.35 s under the sanitizers (see bench/anysite_bench); read in quadratic
// time, it takes hours.
void tst_AnySite::hostilePageIsReadInLinearTime()
{
    constexpr qsizetype kPageBytes = 16 * 1024 * 1024;
    QTemporaryDir dir;
    const QString sPage = WritePage(dir, HostilePage(kPageBytes));
    const qint64 llStartMs = ThreadCpuMs();
    const QString sFound = RunSiteRule(siteNone, sPage, QStringLiteral("https://example.org/p"),
                                       [](const QString &) { return QString(); });
    const qint64 llMs = ThreadCpuMs() - llStartMs;
    QCOMPARE(sFound, QString());
    QVERIFY2(llMs < 1000, qPrintable(QString::number(llMs) + " ms"));
}

QTEST_GUILESS_MAIN(tst_AnySite)
#include "tst_anysite.moc"
