#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "decodedmedia.h"
#include "httptestserver.h"
#include "requiredtool.h"
#include "settings/cregister.h"
#include "settings/settingsstore.h"
#include "testmedia.h"
#include "xvfbserver.h"

// The window program on an X server of the test's own saves the HLS stream
// a page names, handed to it as from a terminal, as one file in the
// download folder, in the quality its settings ask for.
class tst_WindowStream : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pageStreamEndsAsOneFile();
};

void tst_WindowStream::pageStreamEndsAsOneFile()
{
    CLIPVANE_REQUIRE_TOOL(XvfbServer::Available(),
                          "Xvfb is not installed (the package xvfb); no X display for the window");
    XvfbServer xvfb;
    QVERIFY2(xvfb.Start(), qPrintable(xvfb.Error()));
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QProcessEnvironment environment = xvfb.FreshUserEnvironment(root.path());
    QVERIFY(!environment.isEmpty());

    QTemporaryDir media;
    QString sError;
    const QString sSource = TestMedia::Make(media.path(), QStringLiteral("v"),
                                            QStringLiteral("ts:mpeg2video:aac"), &sError);
    QVERIFY2(!sSource.isEmpty(), qPrintable(sError));
    QFile playlist(media.filePath(QStringLiteral("v.m3u8")));
    QVERIFY(playlist.open(QIODevice::ReadOnly));
    const QByteArray variant = playlist.readAll();

    HttpTestServer server;
    QVERIFY(server.Start());
    const QByteArray hls = "application/vnd.apple.mpegurl";
    server.SetRoute(QStringLiteral("/watch/show.html"),
                    HttpTestServer::Ok("<html><head><title>A show</title></head><body><video>"
                                       "<source src=\"/s/master.m3u8\" "
                                       "type=\"application/x-mpegURL\"></video></body></html>",
                                       "text/html"));
    server.SetRoute(QStringLiteral("/s/master.m3u8"),
                    HttpTestServer::Ok("#EXTM3U\n"
                                       "#EXT-X-STREAM-INF:BANDWIDTH=800000,RESOLUTION=854x480\n"
                                       "low/v.m3u8\n"
                                       "#EXT-X-STREAM-INF:BANDWIDTH=5000000,RESOLUTION=1920x1080\n"
                                       "high/v.m3u8\n",
                                       hls));
    for (const QString &sFolder : {QStringLiteral("/s/low/"), QStringLiteral("/s/high/")}) {
        server.SetRoute(sFolder + QStringLiteral("v.m3u8"), HttpTestServer::Ok(variant, hls));
        for (const QString &sPiece : QDir(media.path()).entryList({QStringLiteral("v0*.ts")})) {
            QFile piece(media.filePath(sPiece));
            QVERIFY(piece.open(QIODevice::ReadOnly));
            server.SetRoute(sFolder + sPiece, HttpTestServer::Ok(piece.readAll(), "video/mp2t"));
        }
    }

    // Pages of other sites are read, and the smaller picture is wanted; no
    // clipboard watcher, nothing here is about the clipboard.
    CRegister settings(root.filePath(QStringLiteral("config/Clipvane/registry.ini")));
    const QPair<QString, QString> values[] = {
        {SettingsStore::kURLMonValue, QStringLiteral("False")},
        {SettingsStore::kAnySiteValue, QStringLiteral("True")},
        {SettingsStore::kQualityValue, QStringLiteral("480")},
        // The page goes to the rule for any page, not to a yt-dlp that
        // may be installed.
        {SettingsStore::kYtDlpProgramValue, QStringLiteral("/nonexistent/yt-dlp")}};
    for (const auto &[sName, sValue] : values) {
        QVERIFY(settings.REGSaveSetting(CRegister::HKEY_CURRENT_USER, SettingsStore::kSettingsKey,
                                        sName, sValue));
    }

    // An address given at the start is listed and its run starts.
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(CLIPVANE_PATH),
                  {QStringLiteral("--skip-connection-check"),
                   server.Url(QStringLiteral("/watch/show.html"))});
    QVERIFY(program.waitForStarted(30000));

    // The kept list tells the item's state as the window shows it.
    QFile list(root.filePath(QStringLiteral("data/Clipvane/downloadlist.json")));
    auto listed = [&list] {
        if (!list.open(QIODevice::ReadOnly))
            return QByteArray();
        const QByteArray text = list.readAll();
        list.close();
        return text;
    };
    QTRY_VERIFY_WITH_TIMEOUT(listed().contains("\"status\":\"Complete\"")
                                 || listed().contains("\"status\":\"ERROR\""),
                             120000);
    QVERIFY2(listed().contains("\"status\":\"Complete\""), listed().constData());
    const QDir downloads(root.filePath(QStringLiteral("home/Downloaded Videos")));
    QCOMPARE(downloads.entryList(QDir::Files), QStringList{QStringLiteral("A show.mp4")});

    QByteArray asked;
    for (const QByteArray &head : server.RequestHeads())
        asked += head.left(head.indexOf('\r')) + '\n';
    QVERIFY2(asked.contains(" /s/low/v000.ts "), asked.constData());
    QVERIFY2(!asked.contains("/s/high/"), asked.constData());

    const DecodedMedia saved = DecodedMedia::Of({downloads.filePath(QStringLiteral("A show.mp4"))});
    QVERIFY2(saved.sError.isEmpty(), qPrintable(saved.sError));
    const DecodedMedia source = DecodedMedia::Of({sSource});
    QVERIFY(!source.lPictureSums.isEmpty());
    QCOMPARE(saved.lPictureSums, source.lPictureSums);

    program.terminate();
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

QTEST_GUILESS_MAIN(tst_WindowStream)
#include "tst_windowstream.moc"
