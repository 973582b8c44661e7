#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "sitepages.h"
#include "sites/pagetext.h"
#include "sites/sitedetect.h"
#include "sites/siterules.h"

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

    void pageSearchesAndTheirLimits();

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
    static QStringList EveryRuleOn(const QString &sScratch);
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

void tst_SiteRules::pageSearchesAndTheirLimits()
{
    const PageText P(QByteArray("abcABCab\xC9?"));
    QCOMPARE(P.find(u"ABC", 2), 4);
    QCOMPARE(P.find(u"AB\u00E9", 1), 7);
    QCOMPARE(P.find(u"c", 11), 0);
    // A character no byte can hold must not turn into one that is there.
    QCOMPARE(P.find(u"\u0100", 1), 0);
    QCOMPARE(P.findBack(u"abc", 8), 4);
    QCOMPARE(P.findBack(u"abc", 2), 0);
    QCOMPARE(P.findBack(u"abc", 50), 4);
    QCOMPARE(P.piece(2, 4), QStringLiteral("bc"));
    QCOMPARE(P.piece(9, 100), QString::fromLatin1("\xC9?"));
    QCOMPARE(P.piece(20, 30), QString());
    QVERIFY_THROWS_EXCEPTION(PageText::Failure, P.find(u"a", 0));
    QVERIFY_THROWS_EXCEPTION(PageText::Failure, P.findBack(u"a", 0));
    QVERIFY_THROWS_EXCEPTION(PageText::Failure, P.piece(0, 3));
    QVERIFY_THROWS_EXCEPTION(PageText::Failure, P.piece(4, 3));
}

void tst_SiteRules::unescapeUrl_data()
{
    QTest::addColumn<QString>("sText");
    QTest::addColumn<QString>("sExpected");

    QTest::newRow("escaped address") << "http%3A%2F%2Fhost%2Fa.flv" << "http://host/a.flv";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("not an escape") << "100%-%4g%" << "100%-%4g%";
    QTest::newRow("1023 characters decoded") << QStringLiteral("%41").repeated(1023) << QString(1023, u'A');
    QTest::newRow("1024 characters decoded") << QString(1024, u'x') << "";
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

QStringList tst_SiteRules::EveryRuleOn(const QString &sScratch)
{
    // An address that gives the MySpace rule an id and the Bolt rule its own
    // marker, so that only the page decides.
    const QString A = QStringLiteral("http://bolt.com/1?videoid=1234567");
    QStringList results;
    int iCount = 0;
    const SiteMarker *markers = SiteMarkers(iCount);
    for (int i = 0; i < iCount; ++i)
        results.append(RunSiteRule(markers[i].iSite, sScratch, A, StubResolve));
    return results;
}

void tst_SiteRules::emptyOrMissingScratchFileGivesEmptyText()
{
    for (const QString &sResult : EveryRuleOn(WriteScratch(QByteArray())))
        QCOMPARE(sResult, QString());
    for (const QString &sResult : EveryRuleOn(m_dir->filePath(QStringLiteral("none.wvi"))))
        QCOMPARE(sResult, QString());
}

void tst_SiteRules::hostilePages_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<bool>("bEmpty");

    // Markers with nothing usable after them, at the very end, or with their
    // closing quotes missing give nothing. Repeated markers give whatever
    // stands between them: only surviving them is asked for.
    const char *markers[] = {"ipoddownloadlink", "href=\"ipoddownloadlink", "videoUrl", "videoUrl http",
                             "embedCode src=\"", "Value=\"[url=http://bolt.com/1?videoid=1234567][IMG]",
                             "<embed src=\"", "<embed src='", "*url* : *http://",
                             "sGlobalFileName='a'sGlobalContentFilePath='",
                             "readonly=\"readonly\" type=\"text\" class=\"permalink_input\" value=\"",
                             "addVariable(\"url\", \"", ".flv", "storageId=", "srvURL="};
    for (const char *marker : markers) {
        QTest::newRow(marker) << QByteArray(marker) << true;
        QTest::newRow(QByteArray("filler then ").append(marker).constData())
            << QByteArray(500, 'x').append(marker) << true;
        QTest::newRow(QByteArray("repeated ").append(marker).constData()) << QByteArray(marker).repeated(50) << false;
    }
    QTest::newRow("one byte") << QByteArray("\"") << true;
}

void tst_SiteRules::hostilePages()
{
    QFETCH(QByteArray, page);
    QFETCH(bool, bEmpty);
    const QStringList results = EveryRuleOn(WriteScratch(page));
    for (qsizetype i = 0; i < results.size(); ++i) {
        if (results.at(i).isEmpty() || DetectSite(results.at(i)) == siteMyspace)
            continue;
        QVERIFY2(!bEmpty, qPrintable(results.at(i)));
        QVERIFY(results.at(i).size() <= page.size() + 100);
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
        for (const QString &sResult : EveryRuleOn(WriteScratch(page)))
            QVERIFY(sResult.size() <= page.size() + 100);
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
