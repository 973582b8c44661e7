#include <QTest>

#include "streams/streamquality.h"
#include "streams/streamsniff.h"

using Limit = StreamQuality::Limit;
using Videos = QList<StreamQuality::Video>;
using Audios = QList<StreamQuality::Audio>;

// Which quality is saved, and what is taken for a playlist at all.
class tst_StreamChoice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pickVideo_data();
    void pickVideo();
    void pickAudio_data();
    void pickAudio();
    void limitFromText_data();
    void limitFromText();
    void sniff_data();
    void sniff();
};

void tst_StreamChoice::pickVideo_data()
{
    QTest::addColumn<Videos>("videos");
    QTest::addColumn<Limit>("limit");
    QTest::addColumn<int>("iExpected");

    const Videos ladder{{360, 800}, {1080, 5000}, {720, 2500}, {2160, 16000}};
    QTest::newRow("best") << ladder << Limit::Best << 3;
    QTest::newRow("1080") << ladder << Limit::Max1080 << 1;
    QTest::newRow("720") << ladder << Limit::Max720 << 2;
    QTest::newRow("480") << ladder << Limit::Max480 << 0;
    QTest::newRow("smallest") << ladder << Limit::Smallest << 0;
    QTest::newRow("same height: more bandwidth") << Videos{{720, 2000}, {720, 3000}, {480, 9000}} << Limit::Max720 << 1;
    QTest::newRow("all taller than the limit: the smallest") << Videos{{1080, 5000}, {720, 2500}} << Limit::Max480 << 1;
    QTest::newRow("no heights: best by bandwidth") << Videos{{0, 800}, {0, 5000}, {0, 2500}} << Limit::Best << 1;
    QTest::newRow("no heights: a limit cannot apply") << Videos{{0, 800}, {0, 5000}} << Limit::Max480 << 1;
    QTest::newRow("no heights: smallest by bandwidth") << Videos{{0, 800}, {0, 5000}, {0, 64}} << Limit::Smallest << 2;
    QTest::newRow("audio-only variant beside videos") << Videos{{0, 64}, {360, 800}} << Limit::Smallest << 1;
    QTest::newRow("none") << Videos{} << Limit::Best << -1;
}

void tst_StreamChoice::pickVideo()
{
    QFETCH(Videos, videos);
    QFETCH(Limit, limit);
    QFETCH(int, iExpected);
    QCOMPARE(StreamQuality::PickVideo(videos, limit), iExpected);
}

void tst_StreamChoice::pickAudio_data()
{
    QTest::addColumn<Audios>("audios");
    QTest::addColumn<int>("iExpected");

    QTest::newRow("default over richer") << Audios{{false, 256}, {true, 64}, {false, 128}} << 1;
    QTest::newRow("richest of the defaults") << Audios{{true, 64}, {true, 128}, {false, 256}} << 1;
    QTest::newRow("no default: richest") << Audios{{false, 64}, {false, 256}} << 1;
    QTest::newRow("nothing to tell apart: the first") << Audios{{false, 0}, {false, 0}} << 0;
    QTest::newRow("none") << Audios{} << -1;
}

void tst_StreamChoice::pickAudio()
{
    QFETCH(Audios, audios);
    QFETCH(int, iExpected);
    QCOMPARE(StreamQuality::PickAudio(audios), iExpected);
}

void tst_StreamChoice::limitFromText_data()
{
    QTest::addColumn<QString>("sText");
    QTest::addColumn<int>("iLimit"); // -1: not a limit

    QTest::newRow("best") << "best" << int(Limit::Best);
    QTest::newRow("1080p") << "1080p" << int(Limit::Max1080);
    QTest::newRow("720") << " 720 " << int(Limit::Max720);
    QTest::newRow("480") << "480" << int(Limit::Max480);
    QTest::newRow("Smallest") << "Smallest" << int(Limit::Smallest);
    QTest::newRow("other height") << "1440" << -1;
    QTest::newRow("p alone") << "p" << -1;
}

void tst_StreamChoice::limitFromText()
{
    QFETCH(QString, sText);
    QFETCH(int, iLimit);
    const std::optional<Limit> limit = StreamQuality::LimitFromText(sText);
    QCOMPARE(limit ? int(*limit) : -1, iLimit);
    if (limit)
        QCOMPARE(StreamQuality::LimitFromText(StreamQuality::TextOf(*limit)), limit);
}

void tst_StreamChoice::sniff_data()
{
    QTest::addColumn<QString>("sType");
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<StreamSniff::Kind>("kind");

    QTest::newRow("Apple type") << "application/vnd.apple.mpegurl" << QByteArray() << StreamSniff::Kind::Hls;
    QTest::newRow("x-mpegURL, parameters") << "Application/x-mpegURL; charset=utf-8" << QByteArray()
                                           << StreamSniff::Kind::Hls;
    QTest::newRow("audio/mpegurl") << "audio/mpegurl" << QByteArray() << StreamSniff::Kind::Hls;
    QTest::newRow("DASH type") << "application/dash+xml" << QByteArray() << StreamSniff::Kind::Dash;
    QTest::newRow("#EXTM3U as text/plain") << "text/plain" << QByteArray("\xEF\xBB\xBF\n#EXTM3U\n")
                                           << StreamSniff::Kind::Hls;
    QTest::newRow("<MPD after the declaration") << "application/octet-stream"
                                                << QByteArray("<?xml version=\"1.0\"?>\n<!-- x -->\n<MPD>")
                                                << StreamSniff::Kind::Dash;
    QTest::newRow("a page that mentions an MPD late")
        << "text/html" << "<html>" + QByteArray(2000, ' ') + "<MPD>" << StreamSniff::Kind::None;
    QTest::newRow("#EXTM3U not at the start") << "text/html" << QByteArray("<p>#EXTM3U</p>")
                                              << StreamSniff::Kind::None;
    QTest::newRow("a video") << "video/mp4" << QByteArray("\0\0\0\x18" "ftypmp42", 12) << StreamSniff::Kind::None;
}

void tst_StreamChoice::sniff()
{
    QFETCH(QString, sType);
    QFETCH(QByteArray, head);
    QFETCH(StreamSniff::Kind, kind);
    QCOMPARE(StreamSniff::Of(sType, head), kind);
}

QTEST_GUILESS_MAIN(tst_StreamChoice)
#include "tst_streamchoice.moc"
