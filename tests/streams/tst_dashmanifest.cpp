#include <QTest>

#include "fragmentdescription.h"
#include "streams/dashreader.h"

using Kind = StreamRefusal::Kind;

namespace {

const QUrl kAddress(QStringLiteral("http://127.0.0.1/d/manifest.mpd"));

// One Period of a static manifest of sSeconds around the AdaptationSets given.
QByteArray Mpd(const char *sSets, const char *sSeconds = "8")
{
    return QByteArray("<?xml version=\"1.0\"?>\n<MPD xmlns=\"urn:mpeg:dash:schema:mpd:2011\" type=\"static\" "
                      "mediaPresentationDuration=\"PT")
           + sSeconds + "S\"><Period>" + sSets + "</Period></MPD>";
}

const QByteArray kChoice = Mpd(
    "<AdaptationSet contentType=\"video\" mimeType=\"video/mp4\" codecs=\"avc1.64001f\" height=\"720\">"
    "<SegmentTemplate media=\"$RepresentationID$/$Number$.m4s\" duration=\"4\"/>"
    "<Representation id=\"v360\" bandwidth=\"800000\" width=\"640\" height=\"360\"/>"
    "<Representation id=\"v720\" bandwidth=\"2500000\" width=\"1280\"/>"
    "<Representation id=\"v1080\" bandwidth=\"5000000\" width=\"1920\" height=\"1080\" codecs=\"avc1.640028\"/>"
    "</AdaptationSet>"
    "<AdaptationSet mimeType=\"audio/mp4\"><SegmentTemplate media=\"$RepresentationID$/$Number$.m4s\" duration=\"4\"/>"
    "<Representation id=\"commentary\" bandwidth=\"256000\"/></AdaptationSet>"
    "<AdaptationSet mimeType=\"audio/mp4\"><Role schemeIdUri=\"urn:mpeg:dash:role:2011\" value=\"main\"/>"
    "<SegmentTemplate media=\"$RepresentationID$/$Number$.m4s\" duration=\"4\"/>"
    "<Representation id=\"main64\" bandwidth=\"64000\"/><Representation id=\"main128\" bandwidth=\"128000\"/>"
    "</AdaptationSet>"
    "<AdaptationSet mimeType=\"text/vtt\"><Representation id=\"subs\" bandwidth=\"1\">"
    "<BaseURL>subs.vtt</BaseURL></Representation></AdaptationSet>");

} // namespace

class tst_DashManifest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void segments_data();
    void segments();
    void refusals_data();
    void refusals();
    void representationsInheritTheirSet();
    void choice_data();
    void choice();
};

void tst_DashManifest::segments_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("sId");
    QTest::addColumn<int>("iRepresentations");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("template: widths, count from the duration, init by id and bandwidth")
        << Mpd("<AdaptationSet mimeType=\"video/mp4\"><SegmentTemplate media=\"$RepresentationID$/s-$Number%05d$.m4s\" "
               "initialization=\"$RepresentationID$/init-$Bandwidth$.mp4\" startNumber=\"3\" timescale=\"1000\" "
               "duration=\"4000\"/><Representation id=\"v1\" bandwidth=\"500000\"/></AdaptationSet>",
               "10")
        << "v1" << 1
        << QStringList{"d/v1/init-500000.mp4 init", "d/v1/s-00003.m4s #3", "d/v1/s-00004.m4s #4", "d/v1/s-00005.m4s #5"};
    QTest::newRow("timeline: t, d, r, repeats to the next entry and to the end")
        << Mpd("<AdaptationSet contentType=\"audio\"><Representation id=\"a\" bandwidth=\"1\">"
               "<SegmentTemplate media=\"a/$Time$$$.m4s\" timescale=\"10\"><SegmentTimeline>"
               "<S t=\"0\" d=\"40\" r=\"1\"/><S d=\"20\"/><S t=\"100\" d=\"15\" r=\"-1\"/><S t=\"130\" d=\"35\" r=\"-1\"/>"
               "</SegmentTimeline></SegmentTemplate></Representation></AdaptationSet>",
               "20")
        << "a" << 1
        << QStringList{"d/a/0$.m4s #1",   "d/a/40$.m4s #2",  "d/a/80$.m4s #3", "d/a/100$.m4s #4",
                       "d/a/115$.m4s #5", "d/a/130$.m4s #6", "d/a/165$.m4s #7"};
    QTest::newRow("template inherited and overridden, $Time$ from the offset")
        << Mpd("<AdaptationSet><SegmentTemplate media=\"$RepresentationID$-$Time$.m4s\" timescale=\"100\" "
               "duration=\"300\" presentationTimeOffset=\"1000\"/><Representation id=\"v\" bandwidth=\"1\">"
               "<SegmentTemplate duration=\"400\"/></Representation></AdaptationSet>")
        << "v" << 1 << QStringList{"d/v-1000.m4s #1", "d/v-1400.m4s #2"};
    QTest::newRow("BaseURL at every level, a SegmentList with ranges")
        << QByteArray("<MPD mediaPresentationDuration=\"PT8S\"><BaseURL>http://127.0.0.1/cdn/</BaseURL>"
                      "<Period><BaseURL>p/</BaseURL><AdaptationSet><BaseURL>as/</BaseURL>"
                      "<Representation id=\"r\" bandwidth=\"1\"><BaseURL>r/file.mp4</BaseURL>"
                      "<SegmentList><Initialization range=\"0-99\"/><SegmentURL mediaRange=\"100-199\"/>"
                      "<SegmentURL media=\"other.mp4\" mediaRange=\"0-9\"/></SegmentList>"
                      "</Representation></AdaptationSet></Period></MPD>")
        << "r" << 1
        << QStringList{"cdn/p/as/r/file.mp4@0+100 init", "cdn/p/as/r/file.mp4@100+100 #1", "cdn/p/as/r/other.mp4@0+10 #2"};
    QTest::newRow("SegmentBase: the whole file")
        << Mpd("<AdaptationSet><Representation id=\"s\" bandwidth=\"1\"><BaseURL>whole.mp4</BaseURL>"
               "<SegmentBase indexRange=\"800-900\"><Initialization range=\"0-799\"/></SegmentBase>"
               "</Representation></AdaptationSet>")
        << "s" << 1 << QStringList{"d/whole.mp4 #1"};
    QTest::newRow("Periods joined by id, one only in the first left out")
        << QByteArray("<MPD mediaPresentationDuration=\"PT6S\"><Period><AdaptationSet>"
                      "<SegmentTemplate media=\"$RepresentationID$/p1-$Number$.m4s\" duration=\"2\"/>"
                      "<Representation id=\"v\" bandwidth=\"1\"/><Representation id=\"gone\" bandwidth=\"2\"/>"
                      "</AdaptationSet></Period><Period start=\"PT4S\"><AdaptationSet><SegmentTemplate "
                      "media=\"$RepresentationID$/p2-$Number$.m4s\" initialization=\"$RepresentationID$/p2.mp4\" "
                      "duration=\"2\"/><Representation id=\"v\" bandwidth=\"1\"/></AdaptationSet></Period></MPD>")
        << "v" << 1 << QStringList{"d/v/p1-1.m4s #1", "d/v/p1-2.m4s #2", "d/v/p2.mp4 init disc", "d/v/p2-1.m4s #1"};
}

void tst_DashManifest::segments()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, sId);
    QFETCH(int, iRepresentations);
    QFETCH(QStringList, expected);
    const DashManifest manifest = DashReader::Read(xml, kAddress);
    QCOMPARE(manifest.refusal.sReason, QString());
    QCOMPARE(manifest.representations.size(), iRepresentations);
    const DashRepresentation &representation = manifest.representations.first();
    QCOMPARE(representation.sId, sId);
    QCOMPARE(DescribeFragments(representation.Track()), expected);
    QCOMPARE(representation.FragmentCount(), quint64(expected.size() - expected.filter(" init").size()));
}

void tst_DashManifest::refusals_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<Kind>("kind");

    const auto withTemplate = [](const char *sTemplate, const char *sSeconds = "8") {
        return Mpd(QByteArray("<AdaptationSet>" + QByteArray(sTemplate)
                              + "<Representation id=\"v\" bandwidth=\"1\"/></AdaptationSet>")
                       .constData(),
                   sSeconds);
    };
    QTest::newRow("dynamic") << QByteArray("<MPD type=\"dynamic\"><Period/></MPD>") << Kind::Live;
    QTest::newRow("ContentProtection")
        << Mpd("<AdaptationSet><ContentProtection schemeIdUri=\"urn:mpeg:dash:mp4protection:2011\"/>"
               "<Representation id=\"v\" bandwidth=\"1\"><BaseURL>v.mp4</BaseURL></Representation></AdaptationSet>")
        << Kind::Protected;
    QTest::newRow("not well-formed") << QByteArray("<MPD><Period></MPD>") << Kind::Malformed;
    QTest::newRow("not an MPD") << QByteArray("<html><body/></html>") << Kind::Malformed;
    QTest::newRow("nothing to count segments by")
        << QByteArray("<MPD><Period><AdaptationSet><SegmentTemplate media=\"$Number$.m4s\" duration=\"2\"/>"
                      "<Representation id=\"v\" bandwidth=\"1\"/></AdaptationSet></Period></MPD>")
        << Kind::Malformed;
    QTest::newRow("unknown identifier") << withTemplate("<SegmentTemplate media=\"$Foo$.m4s\" duration=\"2\"/>")
                                        << Kind::Malformed;
    QTest::newRow("absurd width") << withTemplate("<SegmentTemplate media=\"$Number%099d$\" duration=\"2\"/>")
                                  << Kind::Malformed;
    QTest::newRow("local BaseURL") << Mpd("<BaseURL>file:///etc/</BaseURL><AdaptationSet/>") << Kind::Malformed;
    QTest::newRow("broken range")
        << Mpd("<AdaptationSet><Representation id=\"v\" bandwidth=\"1\"><SegmentList>"
               "<SegmentURL media=\"a.mp4\" mediaRange=\"9-3\"/></SegmentList></Representation></AdaptationSet>")
        << Kind::Malformed;
    QTest::newRow("timeline repeats too often")
        << withTemplate("<SegmentTemplate media=\"$Time$\"><SegmentTimeline><S d=\"1\" r=\"100000\"/>"
                        "</SegmentTimeline></SegmentTemplate>")
        << Kind::TooLarge;
    QTest::newRow("100,001 by duration") << withTemplate("<SegmentTemplate media=\"$Number$\" duration=\"1\"/>", "100001")
                                         << Kind::TooLarge;
    QTest::newRow("100,000 by duration") << withTemplate("<SegmentTemplate media=\"$Number$\" duration=\"1\"/>", "100000")
                                         << Kind::None;
    QTest::newRow("no representations") << Mpd("<AdaptationSet/>") << Kind::Empty;
    QTest::newRow("a representation that names no file")
        << Mpd("<AdaptationSet><Representation id=\"v\" bandwidth=\"1\"/></AdaptationSet>") << Kind::SelfReference;
}

void tst_DashManifest::refusals()
{
    QFETCH(QByteArray, xml);
    QFETCH(Kind, kind);
    const DashManifest manifest = DashReader::Read(xml, kAddress);
    QCOMPARE(manifest.refusal.kind, kind);
    if (kind == Kind::None)
        return;
    QVERIFY(manifest.representations.isEmpty());
    if (kind == Kind::Live)
        QCOMPARE(manifest.refusal.sReason, QStringLiteral("Live streams are not supported"));
    else if (kind == Kind::Protected)
        QCOMPARE(manifest.refusal.sReason, QStringLiteral("The stream is protected (DRM) and cannot be saved"));
    else
        QVERIFY(!manifest.refusal.sReason.isEmpty());
}

void tst_DashManifest::representationsInheritTheirSet()
{
    const DashManifest manifest = DashReader::Read(kChoice, kAddress);
    QCOMPARE(manifest.representations.size(), 7);
    const DashRepresentation &v720 = manifest.representations.at(1);
    QCOMPARE(v720.iHeight, 720);
    QCOMPARE(v720.iWidth, 1280);
    QCOMPARE(v720.sCodecs, QStringLiteral("avc1.64001f"));
    QCOMPARE(v720.sMimeType, QStringLiteral("video/mp4"));
    QCOMPARE(manifest.representations.at(2).sCodecs, QStringLiteral("avc1.640028"));
    QCOMPARE(manifest.representations.at(3).sContentType, QStringLiteral("audio"));
    QCOMPARE(manifest.representations.at(6).sContentType, QStringLiteral("text"));
    QCOMPARE(v720.FragmentCount(), 2);
}

void tst_DashManifest::choice_data()
{
    QTest::addColumn<StreamQuality::Limit>("limit");
    QTest::addColumn<QString>("sVideo");

    QTest::newRow("best") << StreamQuality::Limit::Best << "v1080";
    QTest::newRow("1080") << StreamQuality::Limit::Max1080 << "v1080";
    QTest::newRow("720, height from its set") << StreamQuality::Limit::Max720 << "v720";
    QTest::newRow("480") << StreamQuality::Limit::Max480 << "v360";
    QTest::newRow("smallest") << StreamQuality::Limit::Smallest << "v360";
}

void tst_DashManifest::choice()
{
    QFETCH(StreamQuality::Limit, limit);
    QFETCH(QString, sVideo);
    const DashManifest manifest = DashReader::Read(kChoice, kAddress);
    QCOMPARE(manifest.representations.at(manifest.PickVideo(limit)).sId, sVideo);
    // The main audio wins over a richer commentary.
    QCOMPARE(manifest.representations.at(manifest.PickAudio()).sId, QStringLiteral("main128"));
}

QTEST_GUILESS_MAIN(tst_DashManifest)
#include "tst_dashmanifest.moc"
