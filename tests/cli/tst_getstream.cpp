#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "decodedmedia.h"
#include "httptestserver.h"
#include "session/streamsaver.h"
#include "testmedia.h"

// clipvane-get saving a stream that a page names: the playlists and
// fragments come from a server on this machine, the media is made here.
class tst_GetStream : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void savesTheStreamAsOneFile_data();
    void savesTheStreamAsOneFile();
    void killedRunGoesOnAtTheNextFragment_data();
    void killedRunGoesOnAtTheNextFragment();
    void stopOfAnEarlierItemLeavesTheNextWhole();

private:
    QTemporaryDir m_media;
    QString m_sJoined;
    QByteArray m_mediaPlaylist;
    QString m_sFmp4Joined;
    QByteArray m_fmp4Playlist;
};

void tst_GetStream::initTestCase()
{
    QVERIFY(m_media.isValid());
    QString sError;
    m_sJoined = TestMedia::Make(m_media.path(), QStringLiteral("v"),
                                QStringLiteral("ts:mpeg2video:aac"), &sError);
    QVERIFY2(!m_sJoined.isEmpty(), qPrintable(sError));
    QFile playlist(m_media.filePath(QStringLiteral("v.m3u8")));
    QVERIFY(playlist.open(QIODevice::ReadOnly));
    m_mediaPlaylist = playlist.readAll();
    QVERIFY(m_mediaPlaylist.contains("#EXT-X-ENDLIST"));
    m_sFmp4Joined = TestMedia::Make(m_media.path(), QStringLiteral("f"),
                                    QStringLiteral("fmp4:mpeg4:aac"), &sError);
    QVERIFY2(!m_sFmp4Joined.isEmpty(), qPrintable(sError));
    QFile fmp4(m_media.filePath(QStringLiteral("f.m3u8")));
    QVERIFY(fmp4.open(QIODevice::ReadOnly));
    m_fmp4Playlist = fmp4.readAll();
    QVERIFY(m_fmp4Playlist.contains("#EXT-X-MAP"));
}

void tst_GetStream::savesTheStreamAsOneFile_data()
{
    QTest::addColumn<QString>("sQuality");
    QTest::addColumn<QByteArray>("master");
    QTest::addColumn<QByteArray>("media");
    // The media playlist asked for; empty when the stream is refused.
    QTest::addColumn<QString>("sAsked");
    QTest::addColumn<QString>("sNotAsked");
    QTest::addColumn<QString>("sReason");
    // The page's head, and the name the saved file gets from it.
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QString>("sFileName");
    // What the saved file must decode to.
    QTest::addColumn<QString>("sSource");

    const QByteArray master = "#EXTM3U\n"
                              "#EXT-X-STREAM-INF:BANDWIDTH=800000,RESOLUTION=854x480\n"
                              "low/v.m3u8\n"
                              "#EXT-X-STREAM-INF:BANDWIDTH=2500000,RESOLUTION=1280x720\n"
                              "mid/v.m3u8\n"
                              "#EXT-X-STREAM-INF:BANDWIDTH=5000000,RESOLUTION=1920x1080\n"
                              "high/v.m3u8\n";
    const QByteArray &media = m_mediaPlaylist;
    QByteArray live = media;
    live.replace("#EXT-X-ENDLIST", "");
    QByteArray drm = media;
    drm.replace("#EXTM3U\n", "#EXTM3U\n#EXT-X-KEY:METHOD=SAMPLE-AES,URI=\"key.bin\"\n");

    const QByteArray title = "<title> A  show </title>";
    const QByteArray ogTitle = "<meta property=og:title content=\"Show: part 1/2\">" + title;
    QTest::newRow("TS variants, best") << "best" << master << media << "/s/high/v.m3u8"
                                       << "/s/mid/v.m3u8" << QString() << title << "A show.mp4" << m_sJoined;
    QTest::newRow("TS variants, at most 720")
        << "720" << master << media << "/s/mid/v.m3u8" << "/s/high/v.m3u8" << QString() << ogTitle
        << "Show part 12.mp4" << m_sJoined;
    QTest::newRow("TS variants, smallest") << "smallest" << master << media << "/s/low/v.m3u8"
                                           << "/s/mid/v.m3u8" << QString() << QByteArray()
                                           << "master.mp4" << m_sJoined;
    QTest::newRow("media playlist, no master")
        << "480" << QByteArray() << media << "/s/high/v.m3u8" << "/s/low/v.m3u8" << QString()
        << QByteArray() << "v.mp4" << m_sJoined;
    QTest::newRow("live") << "best" << master << live << QString() << QString()
                          << "Live streams are not supported" << title << QString() << m_sJoined;
    QTest::newRow("protected") << "best" << master << drm << QString() << QString()
                               << "The stream is protected (DRM) and cannot be saved" << title
                               << QString() << m_sJoined;
    QTest::newRow("live media playlist, no master")
        << "best" << QByteArray() << live << QString() << QString()
        << "Live streams are not supported" << title << QString() << m_sJoined;
    QTest::newRow("fMP4 with an init section")
        << "best" << QByteArray() << m_fmp4Playlist << "/s/high/v.m3u8" << "/s/low/v.m3u8"
        << QString() << title << "A show.mp4" << m_sFmp4Joined;
}

void tst_GetStream::savesTheStreamAsOneFile()
{
    QFETCH(QString, sQuality);
    QFETCH(QByteArray, master);
    QFETCH(QByteArray, media);
    QFETCH(QString, sAsked);
    QFETCH(QString, sNotAsked);
    QFETCH(QString, sReason);
    QFETCH(QByteArray, head);
    QFETCH(QString, sFileName);
    QFETCH(QString, sSource);

    HttpTestServer server;
    QVERIFY(server.Start());
    const QByteArray hls = "application/vnd.apple.mpegurl";
    const QString sPlaylist = master.isEmpty() ? QStringLiteral("/s/high/v.m3u8")
                                               : QStringLiteral("/s/master.m3u8");
    server.SetRoute(QStringLiteral("/watch/show.html"),
                    HttpTestServer::Ok("<html><head>" + head + "</head><body><video>"
                                       "<source src=\"" + sPlaylist.toLatin1()
                                           + "\" type=\"application/x-mpegURL\"></video></body>"
                                             "</html>",
                                       "text/html; charset=utf-8"));
    server.SetRoute(QStringLiteral("/s/master.m3u8"), HttpTestServer::Ok(master, hls));
    // Every piece made, of either layout, beside each variant's playlist.
    const QStringList pieces = QDir(m_media.path())
                                   .entryList({QStringLiteral("v0*.ts"), QStringLiteral("f*.m4s"),
                                               QStringLiteral("f-init.mp4")},
                                              QDir::Files, QDir::Name);
    QVERIFY(pieces.size() >= 6);
    for (const QString &sVariant : {QStringLiteral("low"), QStringLiteral("mid"), QStringLiteral("high")}) {
        server.SetRoute(QStringLiteral("/s/%1/v.m3u8").arg(sVariant), HttpTestServer::Ok(media, hls));
        for (const QString &sPiece : pieces) {
            QFile piece(m_media.filePath(sPiece));
            QVERIFY(piece.open(QIODevice::ReadOnly));
            server.SetRoute(QStringLiteral("/s/%1/%2").arg(sVariant, sPiece),
                            HttpTestServer::Ok(piece.readAll(), "video/mp2t"));
        }
    }

    QTemporaryDir downloads;
    QProcess get;
    get.start(QStringLiteral(CLIPVANE_GET_PATH),
              {QStringLiteral("--skip-connection-check"), QStringLiteral("--any-site"),
               QStringLiteral("--no-yt-dlp"),
               QStringLiteral("--quality"), sQuality, QStringLiteral("--fragments"),
               QStringLiteral("3"), QStringLiteral("--dir"), downloads.path(),
               server.Url(QStringLiteral("/watch/show.html"))});
    QVERIFY(get.waitForFinished(120000));
    const QByteArray report = get.readAllStandardOutput();
    const QByteArray errors = get.readAllStandardError();
    const QStringList kept = QDir(downloads.path()).entryList(QDir::Files);
    if (!sReason.isEmpty()) {
        QCOMPARE(get.exitCode(), 1);
        QVERIFY2(report.startsWith("1\tERROR\t"), report.constData());
        QVERIFY2(errors.contains(sReason.toUtf8()), errors.constData());
        // Nothing under a final name, nor any work file: nothing was fetched.
        QCOMPARE(kept, QStringList());
        return;
    }
    QVERIFY2(get.exitCode() == 0, errors.constData());
    QVERIFY2(report.startsWith("1\tComplete\t"), report.constData());
    QCOMPARE(kept, QStringList{sFileName});

    QByteArray asked;
    for (const QByteArray &head : server.RequestHeads())
        asked += head.left(head.indexOf('\r')) + '\n';
    QVERIFY2(asked.contains(" " + sAsked.toLatin1() + " "), asked.constData());
    QVERIFY2(!asked.contains(" " + sNotAsked.toLatin1() + " "), asked.constData());

    const DecodedMedia saved = DecodedMedia::Of({QDir(downloads.path()).filePath(kept.first())});
    const DecodedMedia source = DecodedMedia::Of({sSource});
    QVERIFY2(saved.sError.isEmpty(), qPrintable(saved.sError));
    QVERIFY(!source.lPictureSums.isEmpty());
    QCOMPARE(saved.lPictureSums, source.lPictureSums);
}

// A run killed while it waits for a fragment keeps what it wrote; the next
// run asks only for the fragments still missing. The playlist is handed in
// directly, by its path or by its type.
void tst_GetStream::killedRunGoesOnAtTheNextFragment_data()
{
    QTest::addColumn<QString>("sPlaylist");
    QTest::addColumn<QString>("sFileName");
    QTest::newRow("by its path") << "/s/v.m3u8" << "v.mp4";
    QTest::newRow("by its type") << "/s/play?id=7" << "play.mp4";
}

void tst_GetStream::killedRunGoesOnAtTheNextFragment()
{
    QFETCH(QString, sPlaylist);
    QFETCH(QString, sFileName);

    HttpTestServer server;
    QVERIFY(server.Start());
    QByteArray media = m_mediaPlaylist;
    // Fragments addressed from the root, wherever the playlist is.
    media.replace("\nv0", "\n/s/v0");
    server.SetRoute(sPlaylist, HttpTestServer::Ok(media, "application/x-mpegURL"));
    const QStringList pieces =
        QDir(m_media.path()).entryList({QStringLiteral("v0*.ts")}, QDir::Files, QDir::Name);
    QVERIFY(pieces.size() >= 3);
    auto serve = [&](bool bStallThird) {
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            QFile piece(m_media.filePath(pieces.at(i)));
            QVERIFY(piece.open(QIODevice::ReadOnly));
            HttpTestServer::Response answer = HttpTestServer::Ok(piece.readAll(), "video/mp2t");
            answer.neverAnswer = bStallThird && i == 2;
            server.SetRoute(QStringLiteral("/s/") + pieces.at(i), answer);
        }
    };
    auto fragmentsAsked = [&](qsizetype iFrom) {
        QStringList asked;
        const QList<QByteArray> heads = server.RequestHeads();
        for (qsizetype i = iFrom; i < heads.size(); ++i) {
            const QByteArray line = heads.at(i).left(heads.at(i).indexOf('\r'));
            if (line.startsWith("GET ") && line.contains(".ts "))
                asked << QString::fromLatin1(line).section(u' ', 1, 1).section(u'/', -1);
        }
        return asked;
    };
    QTemporaryDir downloads;
    const QStringList arguments{QStringLiteral("--skip-connection-check"),
                                QStringLiteral("--any-site"), QStringLiteral("--no-yt-dlp"),
                                QStringLiteral("--fragments"),
                                QStringLiteral("1"), QStringLiteral("--dir"), downloads.path(),
                                server.Url(sPlaylist)};

    serve(true);
    QProcess first;
    first.start(QStringLiteral(CLIPVANE_GET_PATH), arguments);
    QTRY_VERIFY_WITH_TIMEOUT(fragmentsAsked(0).contains(pieces.at(2)), 60000);
    first.kill();
    QVERIFY(first.waitForFinished(60000));
    const qsizetype iFirstRequests = server.RequestHeads().size();
    QVERIFY(!QFileInfo::exists(QDir(downloads.path()).filePath(sFileName)));

    serve(false);
    QProcess second;
    second.start(QStringLiteral(CLIPVANE_GET_PATH), arguments);
    QVERIFY(second.waitForFinished(120000));
    QVERIFY2(second.exitCode() == 0, second.readAllStandardError().constData());
    QCOMPARE(fragmentsAsked(iFirstRequests), pieces.mid(2));
    QCOMPARE(QDir(downloads.path()).entryList(QDir::Files), QStringList{sFileName});
    const DecodedMedia saved = DecodedMedia::Of({QDir(downloads.path()).filePath(sFileName)});
    QCOMPARE(saved.lPictureSums, DecodedMedia::Of({m_sJoined}).lPictureSums);
}

// A stop reaches the saver whatever the run was doing; the next stream it
// saves must not inherit it.
void tst_GetStream::stopOfAnEarlierItemLeavesTheNextWhole()
{
    HttpTestServer server;
    QVERIFY(server.Start());
    server.SetRoute(QStringLiteral("/s/v.m3u8"),
                    HttpTestServer::Ok(m_mediaPlaylist, "application/vnd.apple.mpegurl"));
    for (const QString &sPiece : QDir(m_media.path()).entryList({QStringLiteral("v0*.ts")})) {
        QFile piece(m_media.filePath(sPiece));
        QVERIFY(piece.open(QIODevice::ReadOnly));
        server.SetRoute(QStringLiteral("/s/") + sPiece,
                        HttpTestServer::Ok(piece.readAll(), "video/mp2t"));
    }
    QTemporaryDir downloads;
    StreamSaver saver;
    saver.Cancel();
    const QUrl playlist(server.Url(QStringLiteral("/s/v.m3u8")));
    QCOMPARE(saver.Save(playlist, downloads.filePath(QStringLiteral("v.mp4"))),
             StreamSaver::Result::Saved);
    const DecodedMedia saved = DecodedMedia::Of({saver.SavedFile()});
    QVERIFY2(saved.sError.isEmpty(), qPrintable(saved.sError));
    QCOMPARE(saved.lPictureSums, DecodedMedia::Of({m_sJoined}).lPictureSums);
}

QTEST_GUILESS_MAIN(tst_GetStream)
#include "tst_getstream.moc"
