#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "decodedmedia.h"
#include "httptestserver.h"
#include "net/browseragent.h"
#include "session/streamsaver.h"
#include "testmedia.h"

#include <openssl/evp.h>

namespace {

// AES-128-CBC with PKCS#7 padding, as a server encrypts HLS fragments.
QByteArray Encrypted(const QByteArray &plain, const QByteArray &key, const QByteArray &iv)
{
    EVP_CIPHER_CTX *pContext = EVP_CIPHER_CTX_new();
    QByteArray cipher(plain.size() + 16, '\0');
    int iBody = 0;
    int iTail = 0;
    auto *pOut = reinterpret_cast<unsigned char *>(cipher.data());
    const bool bDone =
        EVP_EncryptInit_ex(pContext, EVP_aes_128_cbc(), nullptr,
                           reinterpret_cast<const unsigned char *>(key.constData()),
                           reinterpret_cast<const unsigned char *>(iv.constData()))
            == 1
        && EVP_EncryptUpdate(pContext, pOut, &iBody,
                             reinterpret_cast<const unsigned char *>(plain.constData()),
                             int(plain.size()))
               == 1
        && EVP_EncryptFinal_ex(pContext, pOut + iBody, &iTail) == 1;
    EVP_CIPHER_CTX_free(pContext);
    cipher.truncate(bDone ? iBody + iTail : 0);
    return cipher;
}

bool WriteFile(const QString &sPath, const QByteArray &content)
{
    QFile file(sPath);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// The TS playlist with every fragment encrypted ("e000.ts" for "v000.ts"):
// the first key with an IV given, then with the sequence number's, and a
// second key from the middle on. The sequence starts past 0, so that a
// number taken from the wrong place shows.
QByteArray EncryptStream(const QByteArray &playlist, const QString &sDir, QString *pError)
{
    const QByteArray keys[] = {QByteArray::fromHex("00112233445566778899aabbccddeeff"),
                               QByteArray::fromHex("0f0e0d0c0b0a09080706050403020100")};
    constexpr int kFirstSequence = 7;
    if (!WriteFile(sDir + QStringLiteral("/k1.bin"), keys[0])
        || !WriteFile(sDir + QStringLiteral("/k2.bin"), keys[1])) {
        *pError = QStringLiteral("cannot write the keys");
        return {};
    }
    // An IV given on the first fragment and from the fourth on; the
    // sequence number's on the others.
    auto givenIv = [](int iFragment) { return iFragment == 0 || iFragment >= 3; };
    auto ivOf = [&givenIv](int iFragment) {
        QByteArray iv(16, '\0');
        if (givenIv(iFragment)) {
            iv.fill('\xa5');
            iv[15] = char(iFragment);
        } else {
            iv[15] = char(kFirstSequence + iFragment);
        }
        return iv;
    };
    QByteArray out;
    int iFragment = 0;
    for (QByteArray line : playlist.split('\n')) {
        const int iKey = iFragment < 2 ? 0 : 1;
        if (line.startsWith("#EXT-X-MEDIA-SEQUENCE:"))
            line = "#EXT-X-MEDIA-SEQUENCE:" + QByteArray::number(kFirstSequence);
        if (line.startsWith("#EXTINF")) {
            out += "#EXT-X-KEY:METHOD=AES-128,URI=\"k" + QByteArray::number(iKey + 1) + ".bin\"";
            if (givenIv(iFragment))
                out += ",IV=0x" + ivOf(iFragment).toHex();
            out += '\n';
        }
        if (!line.isEmpty() && !line.startsWith('#')) {
            QFile plain(sDir + u'/' + QString::fromLatin1(line));
            line.replace(0, 1, "e");
            if (!plain.open(QIODevice::ReadOnly)
                || !WriteFile(sDir + u'/' + QString::fromLatin1(line),
                              Encrypted(plain.readAll(), keys[iKey], ivOf(iFragment)))) {
                *pError = QStringLiteral("cannot encrypt %1").arg(QString::fromLatin1(line));
                return {};
            }
            ++iFragment;
        }
        out += line + '\n';
    }
    return iFragment >= 3 ? out : QByteArray();
}

} // namespace

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
    QByteArray m_encryptedPlaylist;
    QString m_sDashJoined;
    QString m_sDashAudio;
    QByteArray m_dashManifest;
};

void tst_GetStream::initTestCase()
{
    QVERIFY(m_media.isValid());
    QString sError;
    // The recipe's media under sName: the joined file, and the playlist or
    // manifest (sList) read back.
    auto make = [&](const char *sName, const char *sRecipe, const char *sList, QString &sJoined,
                    QByteArray &list) {
        sJoined = TestMedia::Make(m_media.path(), QLatin1String(sName), QLatin1String(sRecipe),
                                  &sError);
        QFile file(m_media.filePath(QLatin1String(sList)));
        list = !sJoined.isEmpty() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        return !list.isEmpty();
    };
    QVERIFY2(make("v", "ts:mpeg2video:aac", "v.m3u8", m_sJoined, m_mediaPlaylist),
             qPrintable(sError));
    QVERIFY(m_mediaPlaylist.contains("#EXT-X-ENDLIST"));
    QVERIFY2(make("f", "fmp4:mpeg4:aac", "f.m3u8", m_sFmp4Joined, m_fmp4Playlist),
             qPrintable(sError));
    QVERIFY(m_fmp4Playlist.contains("#EXT-X-MAP"));
    QVERIFY2(make("d", "dash:mpeg4:aac", "d.mpd", m_sDashJoined, m_dashManifest),
             qPrintable(sError));
    QVERIFY(m_dashManifest.contains("<SegmentTimeline"));
    // The manifest's sound, joined as its picture is.
    m_sDashAudio = m_media.filePath(QStringLiteral("d-audio.joined"));
    QFile audio(m_sDashAudio);
    QVERIFY(audio.open(QIODevice::WriteOnly));
    const QStringList segments =
        QDir(m_media.path()).entryList({QStringLiteral("d-1-*.m4s")}, QDir::Files, QDir::Name);
    for (const QString &sPiece : QStringList{QStringLiteral("d-init-1.m4s")} + segments) {
        QFile piece(m_media.filePath(sPiece));
        QVERIFY(piece.open(QIODevice::ReadOnly));
        QVERIFY(audio.write(piece.readAll()) > 0);
    }
    m_encryptedPlaylist = EncryptStream(m_mediaPlaylist, m_media.path(), &sError);
    QVERIFY2(!m_encryptedPlaylist.isEmpty(), qPrintable(sError));
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
    // What the saved file must decode to: its picture and its sound.
    QTest::addColumn<QStringList>("sources");

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
    const QStringList ts{m_sJoined};
    const QByteArray ogTitle = "<meta property=og:title content=\"Show: part 1/2\">" + title;
    QTest::newRow("TS variants, best") << "best" << master << media << "/s/high/v.m3u8"
                                       << "/s/mid/v.m3u8" << QString() << title << "A show.mp4"
                                       << ts;
    QTest::newRow("TS variants, at most 720")
        << "720" << master << media << "/s/mid/v.m3u8" << "/s/high/v.m3u8" << QString() << ogTitle
        << "Show part 12.mp4" << ts;
    QTest::newRow("TS variants, smallest") << "smallest" << master << media << "/s/low/v.m3u8"
                                           << "/s/mid/v.m3u8" << QString() << QByteArray()
                                           << "master.mp4" << ts;
    QTest::newRow("media playlist, no master")
        << "480" << QByteArray() << media << "/s/high/v.m3u8" << "/s/low/v.m3u8" << QString()
        << QByteArray() << "v.mp4" << ts;
    QTest::newRow("live") << "best" << master << live << QString() << QString()
                          << "Live streams are not supported" << title << QString() << ts;
    QTest::newRow("protected") << "best" << master << drm << QString() << QString()
                               << "The stream is protected (DRM) and cannot be saved" << title
                               << QString() << ts;
    QTest::newRow("live media playlist, no master")
        << "best" << QByteArray() << live << QString() << QString()
        << "Live streams are not supported" << title << QString() << ts;
    QTest::newRow("fMP4 with an init section")
        << "best" << QByteArray() << m_fmp4Playlist << "/s/high/v.m3u8" << "/s/low/v.m3u8"
        << QString() << title << "A show.mp4" << QStringList{m_sFmp4Joined};
    QTest::newRow("AES-128, IVs given and numbered, a new key")
        << "720" << master << m_encryptedPlaylist << "/s/mid/k2.bin" << "/s/high/v.m3u8"
        << QString() << title << "A show.mp4" << ts;
    // The manifest takes the master's place; its segments lie beside it.
    QTest::newRow("DASH template with a timeline, sound apart")
        << "best" << m_dashManifest << QByteArray() << "/s/d-1-001.m4s" << "/s/high/v.m3u8"
        << QString() << title << "A show.mp4" << QStringList{m_sDashJoined, m_sDashAudio};
    QByteArray brokenMedia = media;
    brokenMedia.replace("#EXTINF:1", "#EXTINF:x1");
    QTest::newRow("malformed media playlist")
        << "best" << master << brokenMedia << QString() << QString()
        << "The stream's playlist cannot be read (line" << title << QString() << ts;
    QTest::newRow("malformed master playlist")
        << "best" << QByteArray("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\n") << media << QString()
        << QString() << "The stream's playlist cannot be read (line" << title << QString()
        << ts;
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
    QFETCH(QStringList, sources);

    HttpTestServer server;
    QVERIFY(server.Start());
    const QByteArray hls = "application/vnd.apple.mpegurl";
    const bool bDash = master.contains("<MPD");
    const QByteArray type = bDash ? "application/dash+xml" : hls;
    const QString sPlaylist = bDash              ? QStringLiteral("/s/d.mpd")
                              : master.isEmpty() ? QStringLiteral("/s/high/v.m3u8")
                                                 : QStringLiteral("/s/master.m3u8");
    server.SetRoute(QStringLiteral("/watch/show.html"),
                    HttpTestServer::Ok("<html><head>" + head + "</head><body><video>"
                                       "<source src=\"" + sPlaylist.toLatin1() + "\" type=\""
                                           + (bDash ? type : "application/x-mpegURL")
                                           + "\"></video></body></html>",
                                       "text/html; charset=utf-8"));
    server.SetRoute(QStringLiteral("/s/master.m3u8"), HttpTestServer::Ok(master, hls));
    server.SetRoute(QStringLiteral("/s/d.mpd"), HttpTestServer::Ok(master, type));
    // Every piece made, of each layout, and the keys, beside each variant's
    // playlist and the manifest.
    const QStringList pieces =
        QDir(m_media.path())
            .entryList({QStringLiteral("v0*.ts"), QStringLiteral("e0*.ts"),
                        QStringLiteral("k*.bin"), QStringLiteral("f*.m4s"),
                        QStringLiteral("f-init.mp4"), QStringLiteral("d-*.m4s")},
                       QDir::Files, QDir::Name);
    QVERIFY(pieces.size() >= 6);
    for (const QString &sFolder : {QStringLiteral("/s/low/"), QStringLiteral("/s/mid/"),
                                   QStringLiteral("/s/high/"), QStringLiteral("/s/")}) {
        server.SetRoute(sFolder + QStringLiteral("v.m3u8"), HttpTestServer::Ok(media, hls));
        for (const QString &sPiece : pieces) {
            QFile piece(m_media.filePath(sPiece));
            QVERIFY(piece.open(QIODevice::ReadOnly));
            server.SetRoute(sFolder + sPiece,
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

    // Every request to this site that no rule was written for, the page, the
    // playlists, the fragments and the keys, went out as a current browser.
    for (const QByteArray &head : server.RequestHeads()) {
        QVERIFY2(head.contains("\r\nUser-Agent: " + QByteArray(kBrowserUserAgent) + "\r\n"),
                 head.constData());
    }

    const DecodedMedia saved = DecodedMedia::Of({QDir(downloads.path()).filePath(kept.first())});
    const DecodedMedia source = DecodedMedia::Of(sources);
    QVERIFY2(saved.sError.isEmpty(), qPrintable(saved.sError));
    QVERIFY(!source.lPictureSums.isEmpty());
    QCOMPARE(saved.lPictureSums, source.lPictureSums);
    // The sound whole, to within one audio frame.
    QVERIFY(source.lAudioSamples > 0);
    QVERIFY2(qAbs(saved.lAudioSamples - source.lAudioSamples) <= source.iAudioFrameSize,
             qPrintable(QStringLiteral("%1 samples saved, %2 made")
                            .arg(saved.lAudioSamples)
                            .arg(source.lAudioSamples)));
}

// A run killed while it waits for a fragment keeps what it wrote; the next
// run asks only for the fragments still missing. The playlist is handed in
// directly, known by its path, by its type, or by its content alone.
void tst_GetStream::killedRunGoesOnAtTheNextFragment_data()
{
    QTest::addColumn<QString>("sPlaylist");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QString>("sFileName");
    const QByteArray hls = "application/x-mpegURL";
    QTest::newRow("by its path") << "/s/v.m3u8" << hls << "v.mp4";
    QTest::newRow("by its type") << "/s/play?id=7" << hls << "play.mp4";
    QTest::newRow("by its content, as text") << "/s/play?id=8" << QByteArray("text/plain")
                                             << "play.mp4";
    QTest::newRow("by its content, as bytes")
        << "/s/get" << QByteArray("application/octet-stream") << "get.mp4";
    QTest::newRow("by its content, as a page")
        << "/s/watch" << QByteArray("text/html; charset=utf-8") << "watch.mp4";
}

void tst_GetStream::killedRunGoesOnAtTheNextFragment()
{
    QFETCH(QString, sPlaylist);
    QFETCH(QByteArray, type);
    QFETCH(QString, sFileName);

    HttpTestServer server;
    QVERIFY(server.Start());
    QByteArray media = m_mediaPlaylist;
    // Fragments addressed from the root, wherever the playlist is.
    media.replace("\nv0", "\n/s/v0");
    server.SetRoute(sPlaylist, HttpTestServer::Ok(media, type));
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
