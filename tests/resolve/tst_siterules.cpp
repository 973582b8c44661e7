#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "resolve/pagetext.h"
#include "resolve/siterules.h"
#include "resolve/sitedetect.h"
#include "sitepages.h"

using namespace modDownload;

namespace {

// Stands in for the redirect resolver: shows what it was handed.
QString StubResolve(const QString &sLink)
{
    return QStringLiteral("resolved:") + sLink;
}

const QString kMyspacePage = QStringLiteral("http://vids.myspace.com/index.cfm?fuseaction=vids.individual&videoid=");

} // namespace

class tst_SiteRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void pageSearches_data();
    void pageSearches();
    void searchesOutOfRangeFail();

    void unescapeUrl_data();
    void unescapeUrl();

    void ruleFindsAddress_data();
    void ruleFindsAddress();
    void youtubeResolverNotAskedWithoutPlayer();
    void emptyOrMissingScratchFileGivesEmptyText();
    void hostilePages_data();
    void hostilePages();
    void binaryPagesNeverCrash();
    void markersAtTheEndOfSeveralMebibytesAreFound();

private:
    QString WriteScratch(const QByteArray &page);
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_SiteRules::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString tst_SiteRules::WriteScratch(const QByteArray &page)
{
    const QString sPath = m_dir->filePath(QStringLiteral("Parse.wvi"));
    QFile file(sPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(page) != page.size())
        qFatal("cannot write the scratch page");
    return sPath;
}

void tst_SiteRules::pageSearches_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("sOperation");
    QTest::addColumn<QString>("x");
    QTest::addColumn<int>("iArg");
    QTest::addColumn<int>("iExpected");

    const QByteArray page = "abcABCabc";
    QTest::newRow("find ignores case") << page << "find" << "ABC" << 2 << 4;
    QTest::newRow("find at its start") << page << "find" << "abc" << 7 << 7;
    QTest::newRow("find none") << page << "find" << "abcd" << 1 << 0;
    QTest::newRow("find past the end") << page << "find" << "c" << 10 << 0;
    QTest::newRow("find Latin-1 letters ignore case")
        << QByteArray("xx\xC9t\xE9") << "find" << QString::fromLatin1("\xE9T\xC9") << 1 << 3;
    QTest::newRow("find a character no byte can hold") << page << "find" << QStringView(u"a\u0100").toString() << 1 << 0;
    QTest::newRow("findBack wholly within") << page << "findBack" << "abc" << 8 << 4;
    QTest::newRow("findBack exactly at the end") << page << "findBack" << "abc" << 9 << 7;
    QTest::newRow("findBack too short") << page << "findBack" << "abc" << 2 << 0;
    QTest::newRow("findBack past the end") << page << "findBack" << "ABC" << 50 << 7;
}

void tst_SiteRules::pageSearches()
{
    QFETCH(QByteArray, page);
    QFETCH(QString, sOperation);
    QFETCH(QString, x);
    QFETCH(int, iArg);
    QFETCH(int, iExpected);
    const PageText P(page);
    const qsizetype result = sOperation == QLatin1StringView("find") ? P.find(x, iArg) : P.findBack(x, iArg);
    QCOMPARE(result, qsizetype(iExpected));
}

void tst_SiteRules::searchesOutOfRangeFail()
{
    const PageText P(QByteArray("abcdef"));
    QVERIFY_THROWS_EXCEPTION(PageText::Failure, P.find(u"a", 0));
    QVERIFY_THROWS_EXCEPTION(PageText::Failure, P.find(u"a", -3));
    QVERIFY_THROWS_EXCEPTION(PageText::Failure, P.findBack(u"a", 0));
    QVERIFY_THROWS_EXCEPTION(PageText::Failure, P.piece(0, 3));
    QVERIFY_THROWS_EXCEPTION(PageText::Failure, P.piece(4, 3));
    QCOMPARE(P.piece(2, 4), QStringLiteral("bc"));
    QCOMPARE(P.piece(3, 3), QString());
    QCOMPARE(P.piece(5, 100), QStringLiteral("ef"));
    QCOMPARE(P.piece(9, 12), QString());
}

void tst_SiteRules::unescapeUrl_data()
{
    QTest::addColumn<QString>("sText");
    QTest::addColumn<QString>("sExpected");

    QTest::newRow("escaped address") << "http%3A%2F%2Fhost%2Fa.flv" << "http://host/a.flv";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("query and fragment too") << "a?b=%41%62#%7e" << "a?b=Ab#~";
    QTest::newRow("not an escape") << "100%-%4g%" << "100%-%4g%";
    QTest::newRow("1023 characters decoded") << QString(1023, u'x') << QString(1023, u'x');
    QTest::newRow("1024 characters decoded") << QString(1024, u'x') << "";
    QTest::newRow("long escaped text, short result")
        << QStringLiteral("%41").repeated(1000) << QString(1000, u'A');
    QTest::newRow("long escaped text, long result") << QStringLiteral("%41").repeated(1024) << "";
}

void tst_SiteRules::unescapeUrl()
{
    QFETCH(QString, sText);
    QFETCH(QString, sExpected);
    QCOMPARE(UnescapeUrl(sText), sExpected);
}

void tst_SiteRules::ruleFindsAddress_data()
{
    QTest::addColumn<int>("iSite");
    QTest::addColumn<QString>("A");
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("sExpected");

    for (const SitePage &site : SitePages(QStringLiteral("http://www."))) {
        const QString sExpected = site.iSite == siteYoutube ? StubResolve(site.sExpected) : site.sExpected;
        QTest::newRow(site.sName) << int(site.iSite) << site.A << site.page << sExpected;
    }

    QTest::newRow("google video anchor beats videoUrl")
        << int(siteGoogleVideo) << "http://video.google.com/videoplay?docid=1"
        << QByteArray("<script>var videoUrl = \"http%3A%2F%2Fwrong.example%2Fa.flv\";</script>\n"
                      "<a href=\"http://vp.google.com/videodownload?version=0&amp;secureurl=ab&AMP;sig=c\""
                      " id=\"ipodDownloadLink\">iPod</a>")
        << "http://vp.google.com/videodownload?version=0&secureurl=ab&sig=c";
    const QString sBolt = QStringLiteral("http://www.bolt.com/video/12345");
    const QByteArray boltHead = "<input value=\"[url=" + sBolt.toLatin1() + "][IMG]";
    QTest::newRow("bolt without underscore") << int(siteBolt) << sBolt
        << boltHead + "http://thumbs.bolt.com/IMAGE/ab/12345.jpg[/img]" << "http://thumbs.bolt.com/movie/ab/12345.flv";
    QTest::newRow("bolt already flv") << int(siteBolt) << sBolt
        << boltHead + "http://thumbs.bolt.com/image/ab/clip.flv.jpg[/IMG]" << "http://thumbs.bolt.com/movie/ab/clip.flv";
    QTest::newRow("bolt empty thumbnail") << int(siteBolt) << sBolt << boltHead + "[/IMG]" << "";
    QTest::newRow("myspace six digits") << int(siteMyspace) << kMyspacePage + "123456" << QByteArray("x")
        << "http://content.movies.myspace.com/0000001/65/43/123456.flv";
    QTest::newRow("myspace four digits") << int(siteMyspace) << kMyspacePage + "1234" << QByteArray("x") << "";
    QTest::newRow("myspace without id") << int(siteMyspace) << "http://vids.myspace.com/index.cfm"
                                        << QByteArray("videoid=12345678") << "";
    QTest::newRow("angryalien relative") << int(siteAngryAlien) << "http://www.angryalien.com/"
                                         << QByteArray("<embed src=\"bunnies.swf\">") << "";
    QTest::newRow("putfile wmv") << int(sitePutFile) << "http://media.putfile.com/clip"
        << QByteArray("<a href=\"http://media.putfile.com/a.wmv\">") << "http://media.putfile.com/a.wmv";
    QTest::newRow("putfile extension without address") << int(sitePutFile) << "http://media.putfile.com/c"
                                                       << QByteArray("see a.flv here") << "";
    QTest::newRow("zippyvideos without server") << int(siteZippyVideos) << "http://www.zippyvideos.com/1"
                                                << QByteArray("storageId=17&userName=joe&videoId=4242&") << "";
}

void tst_SiteRules::ruleFindsAddress()
{
    QFETCH(int, iSite);
    QFETCH(QString, A);
    QFETCH(QByteArray, page);
    QFETCH(QString, sExpected);
    QCOMPARE(DetectSite(A), iSite);
    QCOMPARE(RunSiteRule(qint16(iSite), WriteScratch(page), A, StubResolve), sExpected);
}

void tst_SiteRules::youtubeResolverNotAskedWithoutPlayer()
{
    int iCalls = 0;
    const YoutubePathResolver counting = [&](const QString &) {
        ++iCalls;
        return QStringLiteral("called");
    };
    for (const QByteArray &page : {QByteArray("var embedCode = '<object>' no source"),
                                   QByteArray("<embed src=\"http://y/v/a' then embedCode"),
                                   QByteArray("embedCode src=\"http://y/v/a no apostrophe"),
                                   QByteArray("embedCode src=\"' empty player")}) {
        QCOMPARE(GetYoutubeLink(PageText(page), counting), QString());
    }
    QCOMPARE(iCalls, 0);
}

void tst_SiteRules::emptyOrMissingScratchFileGivesEmptyText()
{
    const QString sEmpty = WriteScratch(QByteArray());
    const QString sMissing = m_dir->filePath(QStringLiteral("none.wvi"));
    int iCount = 0;
    const SiteMarker *markers = SiteMarkers(iCount);
    for (int i = 0; i < iCount; ++i) {
        // An address that would give the MySpace rule an id: the page must
        // still be readable.
        const QString A = QStringLiteral("http://") + QLatin1StringView(markers[i].sMarker) + "/?videoid=1234567";
        QCOMPARE(RunSiteRule(markers[i].iSite, sEmpty, A, StubResolve), QString());
        QCOMPARE(RunSiteRule(markers[i].iSite, sMissing, A, StubResolve), QString());
    }
}

void tst_SiteRules::hostilePages_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<bool>("bEmpty");

    // Markers with nothing usable after them, at the very end, or with their
    // closing quotes missing give nothing. Repeated markers give whatever
    // stands between them: only surviving them is asked for.
    const char *markers[] = {"ipoddownloadlink", "href=\"ipoddownloadlink", "videoUrl", "videoUrl http",
                             "embedCode src=\"", "Value=\"[url=http://bolt.com/1][IMG]", "<embed src=\"",
                             "<embed src='", "*url* : *http://", "sGlobalFileName='a'sGlobalContentFilePath='",
                             "readonly=\"readonly\" type=\"text\" class=\"permalink_input\" value=\"",
                             "addVariable(\"url\", \"", ".flv", "storageId=", "srvURL="};
    for (const char *marker : markers) {
        QTest::newRow(marker) << QByteArray(marker) << true;
        QTest::newRow(QByteArray("filler then ").append(marker).constData())
            << QByteArray(500, 'x').append(marker) << true;
        QTest::newRow(QByteArray("repeated ").append(marker).constData()) << QByteArray(marker).repeated(50) << false;
    }
    QTest::newRow("no markers") << QByteArray("<html><body>Nothing to see</body></html>") << true;
    QTest::newRow("one byte") << QByteArray("\"") << true;
}

void tst_SiteRules::hostilePages()
{
    QFETCH(QByteArray, page);
    QFETCH(bool, bEmpty);
    const PageText P(page);
    const QString A = QStringLiteral("http://bolt.com/1");
    const QString results[] = {GetGoogleVideoLink(P), GetYoutubeLink(P, StubResolve), GetBoltLink(P, A),
                               GetAngryAlienLink(P), GetThatVideoSiteLink(P), GetIfilmLink(P),
                               GetBreakLink(P), GetBlipLink(P), GetDailyMotionLink(P),
                               GetPutFileLink(P), GetZippyVideosLink(P)};
    for (const QString &sResult : results) {
        if (bEmpty)
            QCOMPARE(sResult, QString());
        else
            QVERIFY(sResult.size() <= page.size() + 100);
    }
}

void tst_SiteRules::binaryPagesNeverCrash()
{
    QRandomGenerator random(4711);
    for (int iRound = 0; iRound < 20; ++iRound) {
        QByteArray page(1 + random.bounded(20000), Qt::Uninitialized);
        for (char &c : page)
            c = static_cast<char>(random.bounded(256));
        // Sprinkle the markers in, so the searches get past their first step.
        for (const char *marker : {"ipoddownloadlink", "href=\"", "embedCode", "src=\"", "'", "*,", "&",
                                   "[/IMG]", "sGlobalFileName='", ".flv", "http", "storageId="})
            page.insert(random.bounded(page.size()), marker);
        const QString sPath = WriteScratch(page);
        int iCount = 0;
        const SiteMarker *markers = SiteMarkers(iCount);
        for (int i = 0; i < iCount; ++i) {
            const QString sResult =
                RunSiteRule(markers[i].iSite, sPath, QStringLiteral("http://x/?videoid=1234567"), StubResolve);
            QVERIFY(sResult.size() <= page.size() + 200);
        }
    }
}

void tst_SiteRules::markersAtTheEndOfSeveralMebibytesAreFound()
{
    QByteArray page(8 * 1024 * 1024, 'h');
    page.append("var sGlobalFileName='clip';sGlobalContentFilePath='2008/01';");
    page.append("<embed src='http://www.thatvideosite.com/b.flv'>");
    const PageText P(page);
    QCOMPARE(GetBreakLink(P), QStringLiteral("http://media1.break.com/dnet/media/2008/01/clip.flv"));
    QCOMPARE(GetThatVideoSiteLink(P), QStringLiteral("http://www.thatvideosite.com/b.flv"));
    QCOMPARE(GetPutFileLink(P), QStringLiteral("http://www.thatvideosite.com/b.flv"));
    QCOMPARE(GetGoogleVideoLink(P), QString());
    QCOMPARE(GetBlipLink(P), QString());
}

QTEST_GUILESS_MAIN(tst_SiteRules)
#include "tst_siterules.moc"
