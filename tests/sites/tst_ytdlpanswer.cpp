#include <QTest>

#include "sites/ytdlparguments.h"
#include "sites/ytdlpinfo.h"

// The command line yt-dlp is run with, and the reading of its JSON.
class tst_YtDlpAnswer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void argumentList_data();
    void argumentList();
    void readsTheAnswer_data();
    void readsTheAnswer();
};

void tst_YtDlpAnswer::argumentList_data()
{
    QTest::addColumn<QString>("sQuality");
    QTest::addColumn<bool>("bPlaylist");
    QTest::addColumn<QString>("sBrowser");
    QTest::addColumn<QString>("sCookiesFile");
    QTest::addColumn<QString>("sAddress");
    QTest::addColumn<QStringList>("expected");

    const QStringList head{"--dump-single-json", "--no-warnings", "--ignore-config"};
    const QString sPage = QStringLiteral("https://video.example/watch?v=1&list=2");
    QTest::newRow("best") << "best" << false << "" << "" << sPage
                          << head + QStringList{"--no-playlist", "-f", "bv*+ba/b", "--", sPage};
    QTest::newRow("720")
        << "720" << false << "" << "" << sPage
        << head + QStringList{"--no-playlist", "-f", "bv*[height<=720]+ba/b[height<=720]/b", "--", sPage};
    QTest::newRow("smallest") << "smallest" << false << "" << "" << sPage
                              << head + QStringList{"--no-playlist", "-f", "wv*+wa/w", "--", sPage};
    QTest::newRow("unknown quality is best")
        << "huge" << false << "" << "" << sPage
        << head + QStringList{"--no-playlist", "-f", "bv*+ba/b", "--", sPage};
    QTest::newRow("playlist, cookies")
        << "480" << true << "firefox" << "/home/u/c.txt" << sPage
        << head
            + QStringList{"--flat-playlist", "-f", "bv*[height<=480]+ba/b[height<=480]/b",
                          "--cookies-from-browser", "firefox", "--cookies", "/home/u/c.txt", "--",
                          sPage};
    // An address that looks like an option stays an address.
    QTest::newRow("address like an option, unknown browser")
        << "best" << false << "netscape" << "" << "--exec=rm -rf ~"
        << head + QStringList{"--no-playlist", "-f", "bv*+ba/b", "--", "--exec=rm -rf ~"};
}

void tst_YtDlpAnswer::argumentList()
{
    QFETCH(QString, sQuality);
    QFETCH(bool, bPlaylist);
    QFETCH(QString, sBrowser);
    QFETCH(QString, sCookiesFile);
    QFETCH(QString, sAddress);
    QFETCH(QStringList, expected);
    YtDlpArguments arguments;
    arguments.sAddress = sAddress;
    arguments.sQuality = sQuality;
    arguments.bPlaylist = bPlaylist;
    arguments.sCookiesFromBrowser = sBrowser;
    arguments.sCookiesFile = sCookiesFile;
    QCOMPARE(arguments.List(), expected);
}

void tst_YtDlpAnswer::readsTheAnswer_data()
{
    QTest::addColumn<QByteArray>("json");
    // "" when read, else the reason.
    QTest::addColumn<QString>("sError");
    QTest::addColumn<QString>("sFileName");
    // Per format: kind (F file, P playlist, G fragments, U unsupported), its
    // address (a fragment list: its first fragment's), and its headers as
    // "Name: value|...".
    QTest::addColumn<QStringList>("formats");
    QTest::addColumn<bool>("bDrm");
    QTest::addColumn<QStringList>("entries");
    // The videos the list holds, those past the first thousand too.
    QTest::addColumn<qsizetype>("iCount");

    QTest::newRow("one file with headers")
        << QByteArray(R"({"title":"A clip","ext":"webm","url":"https://cdn.example/a.webm",
            "protocol":"https","http_headers":{"User-Agent":"UA/1","Referer":"https://v.example/",
            "Accept-Encoding":"gzip","Bad":"x\r\nInjected: 1"}})")
        << "" << "A clip.webm"
        << QStringList{"F https://cdn.example/a.webm Referer: https://v.example/|User-Agent: UA/1"}
        << false << QStringList() << qsizetype(0);
    QTest::newRow("video and audio, cookies of each")
        << QByteArray(R"({"title":"Both","ext":"mp4","requested_formats":[
            {"url":"https://v.example/v.mp4","protocol":"https","ext":"mp4",
             "cookies":"sid=1; Domain=.v.example; Path=/; Secure; Expires=1700000000"},
            {"url":"https://v.example/a.m3u8","protocol":"m3u8_native","ext":"m4a",
             "http_headers":{"Referer":"r"}}]})")
        << "" << "Both.mp4"
        << QStringList{"F https://v.example/v.mp4 Cookie: sid=1", "P https://v.example/a.m3u8 Referer: r"}
        << false << QStringList() << qsizetype(0);
    QTest::newRow("DASH fragments from a base")
        << QByteArray(R"({"title":"D","ext":"mp4","url":"https://d.example/m.mpd",
            "protocol":"http_dash_segments","fragment_base_url":"https://d.example/seg/",
            "fragments":[{"path":"init.mp4"},{"path":"1.m4s","duration":2}]})")
        << "" << "D.mp4" << QStringList{"G https://d.example/seg/init.mp4 "} << false << QStringList() << qsizetype(0);
    QTest::newRow("protected") << QByteArray(R"({"title":"P","url":"https://p/x.mpd","protocol":"http_dash_segments","has_drm":true})")
                               << "" << "P.mp4" << QStringList{"P https://p/x.mpd "} << true
                               << QStringList() << qsizetype(0);
    QTest::newRow("no title, other protocol")
        << QByteArray(R"({"url":"rtmp://r.example/live","protocol":"rtmp","ext":"flv"})") << ""
        << "video.flv" << QStringList{"U rtmp://r.example/live "} << false << QStringList() << qsizetype(0);
    QTest::newRow("playlist, flat entries")
        << QByteArray(R"({"_type":"playlist","title":"L","entries":[{"_type":"url",
            "url":"https://v.example/1"},null,{"url":"javascript:void"},
            {"webpage_url":"https://v.example/2","url":"id2"}]})")
        << "" << "L.mp4" << QStringList() << false
        << QStringList{"https://v.example/1", "https://v.example/2"} << qsizetype(2);
    // A list is taken up to its first thousand videos.
    QByteArray many = R"({"_type":"playlist","entries":[)";
    QStringList first;
    for (int i = 0; i < 1003; ++i) {
        const QString sVideo = QStringLiteral("https://v.example/%1").arg(i);
        many += QByteArray(i ? "," : "") + R"({"url":")" + sVideo.toUtf8() + R"("})";
        if (i < YtDlpInfo::kMaxEntries)
            first << sVideo;
    }
    QTest::newRow("playlist of more than a thousand")
        << many + "]}" << "" << "video.mp4" << QStringList() << false << first << qsizetype(1003);
    QTest::newRow("garbage") << QByteArray("<html>oops") << "yt-dlp gave an answer that is not JSON"
                             << "" << QStringList() << false << QStringList() << qsizetype(0);
    QTest::newRow("nothing") << QByteArray("\n") << "yt-dlp gave no answer" << "" << QStringList()
                             << false << QStringList() << qsizetype(0);
    QTest::newRow("no format") << QByteArray(R"({"title":"x"})") << "yt-dlp found no format to download"
                               << "" << QStringList() << false << QStringList() << qsizetype(0);
}

void tst_YtDlpAnswer::readsTheAnswer()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, sError);
    QFETCH(QString, sFileName);
    QFETCH(QStringList, formats);
    QFETCH(bool, bDrm);
    QFETCH(QStringList, entries);
    QFETCH(qsizetype, iCount);

    const YtDlpInfo info = YtDlpInfo::Read(json);
    QCOMPARE(info.sError, sError);
    QCOMPARE(info.bRead, sError.isEmpty());
    if (!info.bRead)
        return;
    QCOMPARE(info.FileName(), sFileName);
    QCOMPARE(info.HasDrm(), bDrm);
    QCOMPARE(info.entries, entries);
    QCOMPARE(info.iEntryCount, iCount);
    QStringList seen;
    for (const YtDlpFormat &format : info.formats) {
        const char cKind = "FPGU"[static_cast<int>(format.KindOf())];
        QStringList headers;
        for (const auto &[name, value] : format.headers)
            headers << QString::fromLatin1(name + ": " + value);
        const QString sUrl = format.fragments.isEmpty() ? format.sUrl : format.fragments.first().sUrl;
        seen << QStringLiteral("%1 %2 %3").arg(QString(QLatin1Char(cKind)), sUrl, headers.join(u'|'));
    }
    QCOMPARE(seen, formats);
}

QTEST_GUILESS_MAIN(tst_YtDlpAnswer)
#include "tst_ytdlpanswer.moc"
