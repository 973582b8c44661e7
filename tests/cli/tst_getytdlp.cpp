#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <utility>
#include <sys/types.h>

#include "core/partorigin.h"
#include "decodedmedia.h"
#include "httptestserver.h"
#include "requiredtool.h"
#include "shellscript.h"
#include "testmedia.h"

// clipvane-get --any-site with yt-dlp finding the media: a stand-in yt-dlp
// of the test's own, first on PATH, answers as told; the files come from a
// server on this machine.
class tst_GetYtDlp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void singleFileWithItsHeaders_data();
    void singleFileWithItsHeaders();
    void keptPartGoesOnUnderANewSignature();
    void streamsAndSeparateTracksJoined_data();
    void streamsAndSeparateTracksJoined();
    void whatYtDlpCouldNotDo_data();
    void whatYtDlpCouldNotDo();
    void processGroupEnded_data();
    void processGroupEnded();
    void playlistAddsEveryVideo();
    void realYtDlpOnAPlayerPage();

private:
    struct Run
    {
        int iExit = -1;
        QByteArray report;
        QByteArray errors;
        QStringList files;
    };
    // Writes the stand-in: it records its arguments, answers a playlist
    // address (one with "list" in it) from list.json, any other as sBody says.
    void WriteStandIn(const QByteArray &body);
    QStringList StandInArguments() const;
    Run Get(const QStringList &arguments, const QString &sDir);
    static QByteArray GetHeads(const HttpTestServer &server, const QByteArray &path);

    QTemporaryDir m_media;
    QTemporaryDir m_bin;
    QString m_sJoined;
    QString m_sVideoOnly;
    QString m_sAudioOnly;
};

void tst_GetYtDlp::initTestCase()
{
    QVERIFY(m_media.isValid() && m_bin.isValid());
    QString sError;
    m_sJoined = TestMedia::Make(m_media.path(), QStringLiteral("v"),
                                QStringLiteral("ts:mpeg2video:aac"), &sError);
    m_sVideoOnly = TestMedia::Make(m_media.path(), QStringLiteral("vo"),
                                   QStringLiteral("ts:mpeg2video:"), &sError);
    m_sAudioOnly =
        TestMedia::Make(m_media.path(), QStringLiteral("ao"), QStringLiteral("ts::aac"), &sError);
    QVERIFY2(!m_sJoined.isEmpty() && !m_sVideoOnly.isEmpty() && !m_sAudioOnly.isEmpty(),
             qPrintable(sError));
}

void tst_GetYtDlp::WriteStandIn(const QByteArray &body)
{
    QVERIFY(WriteShellScript(m_bin.filePath(QStringLiteral("yt-dlp")),
                             "dir=$(dirname \"$0\")\n"
                             "printf '%s\\n' \"$@\" >> \"$dir/args\"\n"
                             "for a; do last=$a; done\n"
                             "case \"$last\" in *list*) cat \"$dir/list.json\"; exit 0;; esac\n"
                                 + body));
    QFile::remove(m_bin.filePath(QStringLiteral("args")));
}

QStringList tst_GetYtDlp::StandInArguments() const
{
    QFile args(m_bin.filePath(QStringLiteral("args")));
    if (!args.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(args.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

tst_GetYtDlp::Run tst_GetYtDlp::Get(const QStringList &arguments, const QString &sDir)
{
    QProcess get;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"),
                       m_bin.path() + u':' + environment.value(QStringLiteral("PATH")));
    get.setProcessEnvironment(environment);
    get.start(QStringLiteral(CLIPVANE_GET_PATH),
              QStringList{QStringLiteral("--skip-connection-check"), QStringLiteral("--any-site"),
                          QStringLiteral("--dir"), sDir}
                  + arguments);
    Run run;
    if (!get.waitForFinished(120000))
        return run;
    run.iExit = get.exitCode();
    run.report = get.readAllStandardOutput();
    run.errors = get.readAllStandardError();
    run.files = QDir(sDir).entryList(QDir::Files, QDir::Name);
    return run;
}

QByteArray tst_GetYtDlp::GetHeads(const HttpTestServer &server, const QByteArray &path)
{
    QByteArray heads;
    for (const QByteArray &head : server.RequestHeads()) {
        if (head.startsWith("GET " + path))
            heads += head;
    }
    return heads;
}

void tst_GetYtDlp::singleFileWithItsHeaders_data()
{
    QTest::addColumn<QString>("sQuality");
    QTest::addColumn<QString>("sFormat");
    // One quality proves the option reaches yt-dlp; the expression for each
    // is tst_YtDlpAnswer's.
    QTest::newRow("720") << "720" << "bv*[height<=720]+ba/b[height<=720]/b";
}

void tst_GetYtDlp::singleFileWithItsHeaders()
{
    QFETCH(QString, sQuality);
    QFETCH(QString, sFormat);
    HttpTestServer server;
    QVERIFY(server.Start());
    const QByteArray file = QByteArray("clip\0\xff", 6).repeated(40000);
    server.SetRoute(QStringLiteral("/cdn/f.mp4"), HttpTestServer::Ok(file, "video/mp4"));
    QFile answer(m_bin.filePath(QStringLiteral("answer.json")));
    QVERIFY(answer.open(QIODevice::WriteOnly | QIODevice::Truncate));
    answer.write(R"({"title":"Show: part 1/2","ext":"mp4","protocol":"http","url":")"
                 + server.Url(QStringLiteral("/cdn/f.mp4")).toUtf8()
                 + R"(","http_headers":{"User-Agent":"StandIn/1","Referer":"http://ref.example/",)"
                   R"("Cookie":"sid=42"}})");
    answer.close();
    WriteStandIn("cat \"$dir/answer.json\"");

    QTemporaryDir downloads;
    // An address that looks like an option reaches yt-dlp as an address.
    const QString sPage = server.Url(QStringLiteral("/watch?v=-f&x=1"));
    const Run run = Get({QStringLiteral("--quality"), sQuality, sPage}, downloads.path());
    QVERIFY2(run.iExit == 0, run.errors.constData());
    QCOMPARE(run.files, QStringList{QStringLiteral("Show part 12.mp4")});
    QFile saved(QDir(downloads.path()).filePath(run.files.first()));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll() == file);

    const QStringList received = StandInArguments();
    QCOMPARE(received.mid(received.size() - 2), (QStringList{QStringLiteral("--"), sPage}));
    QCOMPARE(received.at(received.indexOf(QStringLiteral("-f")) + 1), sFormat);
    QVERIFY(received.contains(QStringLiteral("--no-playlist")));
    const QByteArray heads = GetHeads(server, "/cdn/f.mp4");
    for (const QByteArray header : {"User-Agent: StandIn/1", "Referer: http://ref.example/", "Cookie: sid=42"})
        QVERIFY2(heads.contains(header), heads.constData());
}

void tst_GetYtDlp::keptPartGoesOnUnderANewSignature()
{
    // The file's address is signed anew for each run; the part an earlier
    // run kept is recorded under the page, and the server's validator says
    // whether it is still the same file.
    HttpTestServer server;
    QVERIFY(server.Start());
    const QByteArray file = QByteArray("signed\0\x7f", 8).repeated(50000);
    const qint64 lKept = file.size() / 2;
    HttpTestServer::Response answer = HttpTestServer::Ok(file, "video/mp4");
    answer.headers.append(qMakePair(QByteArray("ETag"), QByteArray("\"v1\"")));
    answer.honourRange = true;
    server.SetRoute(QStringLiteral("/cdn/f.mp4?sig=2"), answer);
    WriteStandIn(R"(echo '{"title":"Show","ext":"mp4","protocol":"https","url":")"
                 + server.Url(QStringLiteral("/cdn/f.mp4?sig=2")).toUtf8() + R"("}')");

    QTemporaryDir downloads;
    const QString sPage = server.Url(QStringLiteral("/watch?v=1"));
    const QString sPart = QDir(downloads.path()).filePath(QStringLiteral("Show.mp4.part"));
    QFile part(sPart);
    QVERIFY(part.open(QIODevice::WriteOnly) && part.write(file.left(lKept)) == lKept);
    QVERIFY(PartOrigin(sPage, QStringLiteral("\"v1\""), file.size()).Write(part.handle(), sPart));
    part.close();

    const Run run = Get({sPage}, downloads.path());
    QVERIFY2(run.iExit == 0, run.errors.constData());
    QCOMPARE(run.files, QStringList{QStringLiteral("Show.mp4")});
    QFile saved(QDir(downloads.path()).filePath(run.files.first()));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll() == file);
    QVERIFY2(GetHeads(server, "/cdn/f.mp4").contains("Range: bytes=" + QByteArray::number(lKept) + '-'),
             GetHeads(server, "/cdn/f.mp4").constData());
}

void tst_GetYtDlp::streamsAndSeparateTracksJoined_data()
{
    // The JSON's formats part, with SERVER for the server's address.
    QTest::addColumn<QByteArray>("formats");
    QTest::addColumn<QString>("sVideoSource");
    QTest::addColumn<QString>("sAudioSource");
    QTest::newRow("HLS playlist")
        << QByteArray(R"("url":"SERVER/s/v.m3u8","protocol":"m3u8_native","ext":"mp4",)"
                      R"("http_headers":{"Referer":"R1"})")
        << m_sJoined << m_sJoined;
    QTest::newRow("DASH fragments")
        << QByteArray(R"("url":"SERVER/s/m.mpd","protocol":"http_dash_segments","ext":"mp4",)"
                      R"("http_headers":{"Referer":"R1"},"fragment_base_url":"SERVER/s/","fragments":FRAGMENTS)")
        << m_sJoined << m_sJoined;
    QTest::newRow("video and audio apart, sizes known")
        << QByteArray(R"("requested_formats":[{"url":"SERVER/t/vo.ts","protocol":"https",)"
                      R"("filesize":VOSIZE,"http_headers":{"Referer":"R1"}},{"url":"SERVER/t/ao.ts",)"
                      R"("protocol":"https","filesize":AOSIZE,"http_headers":{"Referer":"R2"}}])")
        << m_sVideoOnly << m_sAudioOnly;
    QTest::newRow("video and audio apart, sizes unknown")
        << QByteArray(R"("requested_formats":[{"url":"SERVER/t/vo.ts","protocol":"https",)"
                      R"("http_headers":{"Referer":"R1"}},{"url":"SERVER/t/ao.ts",)"
                      R"("protocol":"https","http_headers":{"Referer":"R2"}}])")
        << m_sVideoOnly << m_sAudioOnly;
}

void tst_GetYtDlp::streamsAndSeparateTracksJoined()
{
    QFETCH(QByteArray, formats);
    QFETCH(QString, sVideoSource);
    QFETCH(QString, sAudioSource);
    HttpTestServer server;
    QVERIFY(server.Start());
    QFile playlist(m_media.filePath(QStringLiteral("v.m3u8")));
    QVERIFY(playlist.open(QIODevice::ReadOnly));
    server.SetRoute(QStringLiteral("/s/v.m3u8"),
                    HttpTestServer::Ok(playlist.readAll(), "application/vnd.apple.mpegurl"));
    QByteArray fragments = "[";
    for (const QString &sPiece : QDir(m_media.path()).entryList({QStringLiteral("v0*.ts")}, QDir::Files, QDir::Name)) {
        QFile piece(m_media.filePath(sPiece));
        QVERIFY(piece.open(QIODevice::ReadOnly));
        server.SetRoute(QStringLiteral("/s/") + sPiece, HttpTestServer::Ok(piece.readAll(), "video/mp2t"));
        fragments += QByteArray(fragments.size() > 1 ? "," : "") + R"({"path":")" + sPiece.toUtf8() + "\"}";
    }
    for (const auto &[sTrack, sPath] : {std::pair{QStringLiteral("vo"), m_sVideoOnly},
                                        std::pair{QStringLiteral("ao"), m_sAudioOnly}}) {
        QFile track(sPath);
        QVERIFY(track.open(QIODevice::ReadOnly));
        formats.replace(sTrack.toUpper().toUtf8() + "SIZE", QByteArray::number(track.size()));
        HttpTestServer::Response answer = HttpTestServer::Ok(track.readAll(), "video/mp2t");
        answer.honourRange = true;
        server.SetRoute(QStringLiteral("/t/%1.ts").arg(sTrack), answer);
    }
    formats.replace("FRAGMENTS", fragments + "]");
    formats.replace("SERVER", server.Url(QString()).toUtf8());
    QFile answer(m_bin.filePath(QStringLiteral("answer.json")));
    QVERIFY(answer.open(QIODevice::WriteOnly | QIODevice::Truncate));
    answer.write(R"({"title":"A show","ext":"mp4",)" + formats + "}");
    answer.close();
    WriteStandIn("cat \"$dir/answer.json\"");

    QTemporaryDir downloads;
    const Run run = Get({server.Url(QStringLiteral("/watch/show"))}, downloads.path());
    QVERIFY2(run.iExit == 0, run.errors.constData());
    QCOMPARE(run.files, QStringList{QStringLiteral("A show.mp4")});
    // Each format's requests carry its own headers, and only those.
    const QByteArray first = GetHeads(server, "/s/") + GetHeads(server, "/t/vo");
    QVERIFY2(first.contains("Referer: R1") && !first.contains("Referer: R2"), first.constData());
    const QByteArray second = GetHeads(server, "/t/ao");
    QVERIFY2(second.isEmpty() || (second.contains("Referer: R2") && !second.contains("R1")),
             second.constData());

    const DecodedMedia saved = DecodedMedia::Of({QDir(downloads.path()).filePath(run.files.first())});
    QVERIFY2(saved.sError.isEmpty(), qPrintable(saved.sError));
    QCOMPARE(saved.lPictureSums, DecodedMedia::Of({sVideoSource}).lPictureSums);
    QCOMPARE(saved.lAudioSamples, DecodedMedia::Of({sAudioSource}).lAudioSamples);
}

void tst_GetYtDlp::whatYtDlpCouldNotDo_data()
{
    QTest::addColumn<QByteArray>("body");
    // The page's video; the item fails with sReason when there is none.
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("sReason");
    const QByteArray noVideo = "<html><body>Nothing to see</body></html>";
    QTest::newRow("an ERROR line")
        << QByteArray("echo '[generic] x: Downloading webpage'; echo 'ERROR: [Site] 7: Video unavailable' >&2\n"
                      "echo 'WARNING: late' >&2; exit 1")
        << noVideo << "[Site] 7: Video unavailable";
    QTest::newRow("garbage") << QByteArray("echo '<html>'") << noVideo
                             << "yt-dlp gave an answer that is not JSON";
    QTest::newRow("no output, no line") << QByteArray("exit 3") << noVideo
                                        << "yt-dlp ended with exit status 3";
    QTest::newRow("70 MiB of output") << QByteArray("head -c 73400320 /dev/zero") << noVideo
                                      << "yt-dlp wrote more than 64 MiB";
    QTest::newRow("protected")
        << QByteArray(R"(echo '{"title":"p","url":"http://127.0.0.1:9/x.m3u8","protocol":"m3u8","has_drm":true}')")
        << QByteArray("<video src=/v.webm></video>")
        << "The stream is protected (DRM) and cannot be saved";
    QTest::newRow("unsupported address: the page rule reads it")
        << QByteArray("echo 'ERROR: Unsupported URL: http://x/' >&2; exit 1")
        << QByteArray("<video src=/v.webm></video>") << QString();
    QTest::newRow("not found: the page rule reads it")
        << QByteArray("exit 0") << QByteArray("<video src=/v.webm></video>") << QString();
}

void tst_GetYtDlp::whatYtDlpCouldNotDo()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, page);
    QFETCH(QString, sReason);
    HttpTestServer server;
    QVERIFY(server.Start());
    server.SetRoute(QStringLiteral("/watch"), HttpTestServer::Ok(page, "text/html"));
    server.SetRoute(QStringLiteral("/v.webm"), HttpTestServer::Ok("webm bytes", "video/webm"));
    WriteStandIn(body);
    QTemporaryDir downloads;
    // "not found" names a yt-dlp that is not there at all.
    const QStringList options = body == "exit 0"
        ? QStringList{QStringLiteral("--yt-dlp"), m_bin.filePath(QStringLiteral("absent"))}
        : QStringList();
    const Run run = Get(options + QStringList{server.Url(QStringLiteral("/watch"))}, downloads.path());
    if (sReason.isEmpty()) {
        QVERIFY2(run.iExit == 0, run.errors.constData());
        QCOMPARE(run.files, QStringList{QStringLiteral("v.webm")});
        return;
    }
    QCOMPARE(run.iExit, 1);
    QVERIFY2(run.report.startsWith("1\tERROR\t"), run.report.constData());
    QVERIFY2(run.errors.contains(sReason.toUtf8()), run.errors.constData());
    QCOMPARE(run.files, QStringList());
}

// A yt-dlp that never answers is ended with whatever it started, at its
// time limit or at a stop.
void tst_GetYtDlp::processGroupEnded_data()
{
    QTest::addColumn<bool>("bStop");
    QTest::newRow("time limit") << false;
    QTest::newRow("stop") << true;
}

void tst_GetYtDlp::processGroupEnded()
{
    QFETCH(bool, bStop);
    HttpTestServer server;
    QVERIFY(server.Start());
    server.SetRoute(QStringLiteral("/watch"), HttpTestServer::Ok("<p>none</p>", "text/html"));
    WriteStandIn("sleep 300 &\necho $! > \"$dir/child\"\nwait");
    QFile::remove(m_bin.filePath(QStringLiteral("child")));
    QTemporaryDir downloads;
    QProcess get;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"),
                       m_bin.path() + u':' + environment.value(QStringLiteral("PATH")));
    environment.insert(QStringLiteral("CLIPVANE_YTDLP_TIME_LIMIT"), bStop ? QStringLiteral("600")
                                                                         : QStringLiteral("2"));
    get.setProcessEnvironment(environment);
    get.start(QStringLiteral(CLIPVANE_GET_PATH),
              {QStringLiteral("--skip-connection-check"), QStringLiteral("--any-site"),
               QStringLiteral("--dir"), downloads.path(), server.Url(QStringLiteral("/watch"))});
    QTRY_VERIFY_WITH_TIMEOUT(QFile(m_bin.filePath(QStringLiteral("child"))).size() > 0, 30000);
    QFile childFile(m_bin.filePath(QStringLiteral("child")));
    QVERIFY(childFile.open(QIODevice::ReadOnly));
    const pid_t child = childFile.readAll().trimmed().toInt();
    QVERIFY(child > 0);
    if (bStop)
        ::kill(static_cast<pid_t>(get.processId()), SIGINT);
    QVERIFY(get.waitForFinished(60000));
    const QByteArray report = get.readAllStandardOutput();
    const QByteArray errors = get.readAllStandardError();
    QVERIFY2(report.startsWith(bStop ? "1\tCancelled\t" : "1\tERROR\t"), report.constData());
    if (!bStop)
        QVERIFY2(errors.contains("yt-dlp did not answer within 2 s"), errors.constData());
    // Gone, or only a zombie waiting for a parent that never reaps it.
    auto bGone = [child] {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(child));
        return !stat.open(QIODevice::ReadOnly) || stat.readAll().contains(") Z ");
    };
    QTRY_VERIFY_WITH_TIMEOUT(bGone(), 10000);
}

void tst_GetYtDlp::playlistAddsEveryVideo()
{
    HttpTestServer server;
    QVERIFY(server.Start());
    server.SetRoute(QStringLiteral("/cdn/f.mp4"), HttpTestServer::Ok("one file", "video/mp4"));
    QFile list(m_bin.filePath(QStringLiteral("list.json")));
    QVERIFY(list.open(QIODevice::WriteOnly | QIODevice::Truncate));
    list.write(R"({"_type":"playlist","title":"Mix","entries":[{"url":"SERVER/v/1"},{"url":"SERVER/v/2"}]})");
    list.close();
    const QByteArray server8 = server.Url(QString()).toUtf8();
    QVERIFY(list.open(QIODevice::ReadWrite));
    QByteArray text = list.readAll().replace("SERVER", server8);
    list.resize(0);
    list.write(text);
    list.close();
    // Each video is named after its address's last part.
    WriteStandIn(R"(echo "{\"title\":\"Video ${last##*/}\",\"ext\":\"mp4\",\"protocol\":\"http\",\"url\":\")"
                 + server.Url(QStringLiteral("/cdn/f.mp4")).toUtf8() + R"(\"}")");
    QTemporaryDir downloads;
    const Run run = Get({QStringLiteral("--playlist"), server.Url(QStringLiteral("/list/7"))},
                        downloads.path());
    QVERIFY2(run.iExit == 0, run.errors.constData() + run.report);
    QCOMPARE(run.files, (QStringList{QStringLiteral("Video 1.mp4"), QStringLiteral("Video 2.mp4")}));
    const QStringList report = QString::fromUtf8(run.report).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(report.size(), 3);
    QVERIFY(report.at(1).startsWith(QStringLiteral("2\tComplete\tVideo 1.mp4")));
    QVERIFY(StandInArguments().contains(QStringLiteral("--flat-playlist")));
}

// The real yt-dlp reads a JW Player set-up that the rule for any page does
// not know.
void tst_GetYtDlp::realYtDlpOnAPlayerPage()
{
    CLIPVANE_REQUIRE_TOOL(QFileInfo(QStringLiteral("/usr/bin/yt-dlp")).isExecutable(),
                          "yt-dlp is not installed (apt-get install yt-dlp)");
    HttpTestServer server;
    QVERIFY(server.Start());
    const QByteArray file = QByteArray("jw\0", 3).repeated(30000);
    server.SetRoute(QStringLiteral("/media/clip.mp4"), HttpTestServer::Ok(file, "video/mp4"));
    server.SetRoute(QStringLiteral("/jw.html"),
                    HttpTestServer::Ok("<html><head><title>JW page</title></head><body><div id=p>"
                                       "</div><script>jwplayer(\"p\").setup({file: "
                                       "\"/media/clip.mp4\", title: \"Jw clip\"});</script>"
                                       "</body></html>",
                                       "text/html"));
    QTemporaryDir downloads;
    const QString sPage = server.Url(QStringLiteral("/jw.html"));
    QProcess get;
    get.start(QStringLiteral(CLIPVANE_GET_PATH),
              {QStringLiteral("--skip-connection-check"), QStringLiteral("--any-site"),
               QStringLiteral("--no-yt-dlp"), QStringLiteral("--dir"), downloads.path(), sPage});
    QVERIFY(get.waitForFinished(60000));
    QCOMPARE(get.exitCode(), 1);
    const Run run = Get({QStringLiteral("--yt-dlp"), QStringLiteral("/usr/bin/yt-dlp"), sPage},
                        downloads.path());
    QVERIFY2(run.iExit == 0, run.errors.constData());
    QCOMPARE(run.files, QStringList{QStringLiteral("Jw clip.mp4")});
}

QTEST_GUILESS_MAIN(tst_GetYtDlp)
#include "tst_getytdlp.moc"
