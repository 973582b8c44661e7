#include <QTest>

#include "fragmentdescription.h"
#include "streams/hlsreader.h"

using Kind = StreamRefusal::Kind;

namespace {

const QUrl kAddress(QStringLiteral("http://127.0.0.1/v/index.m3u8"));

QByteArray Fragments(int iCount)
{
    QByteArray text = "#EXTM3U\n";
    for (int i = 0; i < iCount; ++i)
        text += "#EXTINF:1,\ns" + QByteArray::number(i) + ".ts\n";
    return text + "#EXT-X-ENDLIST\n";
}

const QByteArray kMaster =
    "#EXTM3U\n"
    "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aac\",NAME=\"English\",LANGUAGE=\"en\",DEFAULT=YES,"
    "AUTOSELECT=YES,URI=\"audio/en.m3u8\"\n"
    "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aac\",NAME=\"Deutsch\",LANGUAGE=\"de\",URI=\"audio/de.m3u8\"\n"
    "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"muxed\",NAME=\"Main\",DEFAULT=YES\n"
    "#EXT-X-MEDIA:TYPE=SUBTITLES,GROUP-ID=\"subs\",NAME=\"English\",URI=\"subs/en.m3u8\"\n"
    "#EXT-X-STREAM-INF:BANDWIDTH=800000,AVERAGE-BANDWIDTH=700000,RESOLUTION=640x360,"
    "CODECS=\"avc1.4d401e,mp4a.40.2\",AUDIO=\"aac\"\n360.m3u8\n"
    "#EXT-X-STREAM-INF:BANDWIDTH=5000000,RESOLUTION=1920x1080,AUDIO=\"aac\"\n1080.m3u8\n"
    "#EXT-X-STREAM-INF:BANDWIDTH=2500000,RESOLUTION=1280x720,AUDIO=\"muxed\"\n720.m3u8\n"
    "#EXT-X-STREAM-INF:BANDWIDTH=64000,CODECS=\"mp4a.40.2\"\naudio-only.m3u8\n";

} // namespace

class tst_HlsPlaylist : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mediaFragments_data();
    void mediaFragments();
    void refusals_data();
    void refusals();
    void masterVariantsAndRenditions();
    void masterChoice_data();
    void masterChoice();
    void fingerprintFollowsTheList_data();
    void fingerprintFollowsTheList();
};

void tst_HlsPlaylist::mediaFragments_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("sequence numbers, addresses resolved")
        << QByteArray("#EXTM3U\n#EXT-X-TARGETDURATION:4\n#EXT-X-MEDIA-SEQUENCE:7\n#EXTINF:4.0,\na.ts\n"
                      "#EXTINF:4,title, with a comma\n/root/b.ts\n#EXTINF:2.5,\n"
                      "http://127.0.0.1:8080/other/c.ts?x=1\n#EXT-X-ENDLIST\n")
        << QStringList{"v/a.ts #7", "root/b.ts #8", "http://127.0.0.1:8080/other/c.ts?x=1 #9"};
    const QString sIv1 = QStringLiteral("00000000000000000000000000000102");
    QTest::newRow("AES-128: given IV, sequence IV for a new key, then clear")
        << QByteArray("#EXTM3U\n#EXT-X-MEDIA-SEQUENCE:255\n"
                      "#EXT-X-KEY:METHOD=AES-128,URI=\"keys/k1?a=1,b=2\",IV=0x0102\n#EXTINF:4,\ns1.ts\n"
                      "#EXT-X-KEY:METHOD=AES-128,URI=\"/k2\",KEYFORMAT=\"identity\"\n#EXTINF:4,\ns2.ts\n"
                      "#EXT-X-KEY:METHOD=NONE\n#EXTINF:4,\ns3.ts\n#EXT-X-ENDLIST\n")
        << QStringList{"v/s1.ts #255 key=v/keys/k1?a=1,b=2 iv=" + sIv1,
                       "v/s2.ts #256 key=k2 iv=00000000000000000000000000000100", "v/s3.ts #257"};
    QTest::newRow("fMP4: init range, ranges carried over, a new init where the map changes")
        << QByteArray("#EXTM3U\n#EXT-X-MAP:URI=\"main.mp4\",BYTERANGE=\"720@0\"\n"
                      "#EXTINF:4,\n#EXT-X-BYTERANGE:1000@720\nmain.mp4\n"
                      "#EXTINF:4,\n#EXT-X-BYTERANGE:1200\nmain.mp4\n"
                      "#EXT-X-DISCONTINUITY\n#EXT-X-MAP:URI=\"other.mp4\"\n"
                      "#EXTINF:4,\n#EXT-X-BYTERANGE:500@0\nother.mp4\n"
                      "#EXT-X-MAP:URI=\"other.mp4\"\n#EXTINF:4,\nnext.m4s\n#EXT-X-ENDLIST\n")
        << QStringList{"v/main.mp4@0+720 init", "v/main.mp4@720+1000 #0", "v/main.mp4@1720+1200 #1",
                       "v/other.mp4 init disc", "v/other.mp4@0+500 disc #2", "v/next.m4s #3"};
    QTest::newRow("an init section takes the key in force where it is named")
        << QByteArray("#EXTM3U\n#EXT-X-MEDIA-SEQUENCE:1\n#EXT-X-MAP:URI=\"clear.mp4\"\n"
                      "#EXT-X-KEY:METHOD=AES-128,URI=\"k\"\n#EXTINF:4,\ns.m4s\n"
                      "#EXT-X-MAP:URI=\"init.mp4\"\n#EXTINF:4,\nt.m4s\n#EXT-X-ENDLIST\n")
        << QStringList{"v/clear.mp4 init", "v/s.m4s #1 key=v/k iv=00000000000000000000000000000001",
                       "v/init.mp4 init key=v/k iv=00000000000000000000000000000002",
                       "v/t.m4s #2 key=v/k iv=00000000000000000000000000000002"};
    QTest::newRow("byte order mark, CR LF, comments, blank lines")
        << QByteArray("\xEF\xBB\xBF#EXTM3U\r\n# a comment\r\n\r\n#EXTINF:1,\r\nx.ts\r\n#EXT-X-ENDLIST\r\n")
        << QStringList{"v/x.ts #0"};
}

void tst_HlsPlaylist::mediaFragments()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, expected);
    const HlsPlaylist playlist = HlsReader::Read(text, kAddress);
    QCOMPARE(playlist.refusal.sReason, QString());
    QVERIFY(!playlist.bMaster);
    QCOMPARE(DescribeFragments(playlist.track), expected);
}

void tst_HlsPlaylist::refusals_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<Kind>("kind");

    const QByteArray one = "#EXTINF:4,\ns.ts\n#EXT-X-ENDLIST\n";
    QTest::newRow("live: no end") << QByteArray("#EXTM3U\n#EXTINF:4,\ns.ts\n") << Kind::Live;
    QTest::newRow("SAMPLE-AES") << "#EXTM3U\n#EXT-X-KEY:METHOD=SAMPLE-AES,URI=\"k\"\n" + one << Kind::Protected;
    QTest::newRow("SAMPLE-AES-CTR") << "#EXTM3U\n#EXT-X-KEY:METHOD=SAMPLE-AES-CTR,URI=\"k\"\n" + one
                                    << Kind::Protected;
    QTest::newRow("AES-128 for a DRM system")
        << "#EXTM3U\n#EXT-X-KEY:METHOD=AES-128,URI=\"skd://k\",KEYFORMAT=\"com.apple.streamingkeydelivery\"\n" + one
        << Kind::Protected;
    QTest::newRow("master with a DRM session key")
        << QByteArray("#EXTM3U\n#EXT-X-SESSION-KEY:METHOD=SAMPLE-AES,URI=\"skd://k\"\n"
                      "#EXT-X-STREAM-INF:BANDWIDTH=1\nv.m3u8\n")
        << Kind::Protected;
    QTest::newRow("no #EXTM3U") << "#EXT-X-VERSION:3\n" + one << Kind::Malformed;
    QTest::newRow("unclosed quote") << "#EXTM3U\n#EXT-X-KEY:METHOD=AES-128,URI=\"k\n" + one << Kind::Malformed;
    QTest::newRow("AES-128 without a key address") << "#EXTM3U\n#EXT-X-KEY:METHOD=AES-128\n" + one << Kind::Malformed;
    QTest::newRow("broken IV") << "#EXTM3U\n#EXT-X-KEY:METHOD=AES-128,URI=\"k\",IV=0xZZ\n" + one << Kind::Malformed;
    QTest::newRow("range without offset after another file")
        << QByteArray("#EXTM3U\n#EXTINF:4,\n#EXT-X-BYTERANGE:10@0\na.mp4\n#EXTINF:4,\n#EXT-X-BYTERANGE:10\nb.mp4\n"
                      "#EXT-X-ENDLIST\n")
        << Kind::Malformed;
    QTest::newRow("fragment without #EXTINF") << QByteArray("#EXTM3U\ns.ts\n#EXT-X-ENDLIST\n") << Kind::Malformed;
    QTest::newRow("local file as fragment") << QByteArray("#EXTM3U\n#EXTINF:4,\nfile:///etc/passwd\n#EXT-X-ENDLIST\n")
                                            << Kind::Malformed;
    QTest::newRow("variant without address") << QByteArray("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\n") << Kind::Malformed;
    QTest::newRow("variant is the playlist itself")
        << QByteArray("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\nindex.m3u8#again\n") << Kind::SelfReference;
    QTest::newRow("no fragments") << QByteArray("#EXTM3U\n#EXT-X-ENDLIST\n") << Kind::Empty;
    QTest::newRow("master without variants")
        << QByteArray("#EXTM3U\n#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"a\",NAME=\"x\",URI=\"a.m3u8\"\n") << Kind::Empty;
    QTest::newRow("100,000 fragments") << Fragments(100000) << Kind::None;
    QTest::newRow("100,001 fragments") << Fragments(100001) << Kind::TooLarge;
}

void tst_HlsPlaylist::refusals()
{
    QFETCH(QByteArray, text);
    QFETCH(Kind, kind);
    const HlsPlaylist playlist = HlsReader::Read(text, kAddress);
    QCOMPARE(playlist.refusal.kind, kind);
    if (kind == Kind::None)
        return;
    QVERIFY(playlist.track.fragments.isEmpty() && playlist.variants.isEmpty());
    if (kind == Kind::Live)
        QCOMPARE(playlist.refusal.sReason, QStringLiteral("Live streams are not supported"));
    else if (kind == Kind::Protected)
        QCOMPARE(playlist.refusal.sReason, QStringLiteral("The stream is protected (DRM) and cannot be saved"));
    else
        QVERIFY(!playlist.refusal.sReason.isEmpty());
}

void tst_HlsPlaylist::masterVariantsAndRenditions()
{
    const HlsPlaylist playlist = HlsReader::Read(kMaster, kAddress);
    QVERIFY(playlist.bMaster);
    QCOMPARE(playlist.variants.size(), 4);
    const HlsPlaylist::Variant &first = playlist.variants.first();
    QCOMPARE(first.url, QUrl("http://127.0.0.1/v/360.m3u8"));
    QCOMPARE(first.lBandwidth, 800000);
    QCOMPARE(first.lAverageBandwidth, 700000);
    QCOMPARE(first.iWidth, 640);
    QCOMPARE(first.iHeight, 360);
    QCOMPARE(first.sCodecs, QStringLiteral("avc1.4d401e,mp4a.40.2"));
    QCOMPARE(first.sAudioGroup, QStringLiteral("aac"));
    QCOMPARE(playlist.audio.size(), 3); // the subtitles are not audio
    QCOMPARE(playlist.audio.first().sLanguage, QStringLiteral("en"));
    QVERIFY(playlist.audio.first().bDefault && playlist.audio.first().bAutoSelect);
    QVERIFY(!playlist.audio.at(1).bDefault);
    QCOMPARE(playlist.audio.first().url, QUrl("http://127.0.0.1/v/audio/en.m3u8"));
}

void tst_HlsPlaylist::masterChoice_data()
{
    QTest::addColumn<StreamQuality::Limit>("limit");
    QTest::addColumn<QString>("sVariant");
    QTest::addColumn<QString>("sAudio");

    QTest::newRow("best, with the default audio") << StreamQuality::Limit::Best << "1080.m3u8" << "audio/en.m3u8";
    QTest::newRow("720: its audio is inside") << StreamQuality::Limit::Max720 << "720.m3u8" << "";
    QTest::newRow("480") << StreamQuality::Limit::Max480 << "360.m3u8" << "audio/en.m3u8";
    QTest::newRow("smallest skips audio-only") << StreamQuality::Limit::Smallest << "360.m3u8" << "audio/en.m3u8";
}

void tst_HlsPlaylist::masterChoice()
{
    QFETCH(StreamQuality::Limit, limit);
    QFETCH(QString, sVariant);
    QFETCH(QString, sAudio);
    const HlsPlaylist playlist = HlsReader::Read(kMaster, kAddress);
    const qsizetype iVariant = playlist.PickVariant(limit);
    QVERIFY(iVariant >= 0);
    QCOMPARE(playlist.variants.at(iVariant).url, kAddress.resolved(sVariant));
    const qsizetype iAudio = playlist.AudioFor(iVariant);
    QCOMPARE(iAudio < 0 ? QString() : playlist.audio.at(iAudio).url.toString(),
             sAudio.isEmpty() ? QString() : kAddress.resolved(sAudio).toString());
}

void tst_HlsPlaylist::fingerprintFollowsTheList_data()
{
    QTest::addColumn<QByteArray>("changed");
    QTest::addColumn<bool>("bSame");

    QTest::newRow("the same text") << QByteArray() << true;
    QTest::newRow("a title and a comment only") << QByteArray("#EXTINF:4,other\n# note\ns.ts\n") << true;
    QTest::newRow("another key") << QByteArray("#EXT-X-KEY:METHOD=AES-128,URI=\"k2\"\n#EXTINF:4,\ns.ts\n") << false;
    QTest::newRow("another range") << QByteArray("#EXTINF:4,\n#EXT-X-BYTERANGE:9@0\ns.ts\n") << false;
    QTest::newRow("another fragment") << QByteArray("#EXTINF:4,\nt.ts\n") << false;
}

void tst_HlsPlaylist::fingerprintFollowsTheList()
{
    QFETCH(QByteArray, changed);
    QFETCH(bool, bSame);
    const QByteArray head = "#EXTM3U\n#EXT-X-KEY:METHOD=AES-128,URI=\"k\"\n#EXTINF:4,\na.ts\n";
    const QByteArray tail = changed.isEmpty() ? QByteArray("#EXTINF:4,\ns.ts\n") : changed;
    const FragmentTrack before = HlsReader::Read(head + "#EXTINF:4,\ns.ts\n#EXT-X-ENDLIST\n", kAddress).track;
    const FragmentTrack after = HlsReader::Read(head + tail + "#EXT-X-ENDLIST\n", kAddress).track;
    QCOMPARE(after.Count(), 2);
    QCOMPARE(before.Fingerprint() == after.Fingerprint(), bSame);
}

QTEST_GUILESS_MAIN(tst_HlsPlaylist)
#include "tst_hlsplaylist.moc"
