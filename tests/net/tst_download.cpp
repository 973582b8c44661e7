#include <QProcess>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "downloadrecorder.h"
#include "httptestserver.h"
#include "net/download.h"
#include "peakmemory.h"
#include "requiredtool.h"

using Response = HttpTestServer::Response;
using Headers = QList<QPair<QByteArray, QByteArray>>;

namespace {

QByteArray Bytes(int iSize)
{
    QByteArray data(iSize, Qt::Uninitialized);
    for (int i = 0; i < iSize; ++i)
        data[i] = char('a' + i % 26);
    return data;
}

Response With(Response response, auto change)
{
    change(response);
    return response;
}

// The current data row's name, fit for a path.
QString Tag()
{
    return QString::fromLatin1(QTest::currentDataTag()).replace(QRegularExpression("\\W"), "-");
}

// A port that was free a moment ago refuses connections.
QString RefusedUrl()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return QStringLiteral("http://127.0.0.1:%1/file.flv").arg(probe.serverPort());
}

} // namespace

class tst_Download : public QObject
{
    Q_OBJECT

    HttpTestServer m_server;
    QTemporaryDir m_dir;

    // Serves response at sPath and aims the control at it and at a local file.
    void Aim(Download &download, const QString &sPath, const Response &response)
    {
        m_server.SetRoute(sPath, response);
        download.SetUrl(m_server.Url(sPath));
        download.SetLocalFile(m_dir.filePath(QString(sPath).replace(QLatin1Char('/'), "_")));
        download.SetInactivityTimeoutSeconds(1);
    }

    static QByteArray Content(const QString &sPath)
    {
        QFile file(sPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    }

    QByteArray LocalContent(const Download &download) { return Content(download.LocalFile()); }

    // Neither the file nor its part was left behind.
    static bool NothingLeft(const QString &sPath)
    {
        const QFileInfo file(sPath), part(sPath + ".part");
        return !file.exists() && !file.isSymLink() && !part.exists() && !part.isSymLink();
    }

    static void Write(const QString &sPath, const QByteArray &content)
    {
        QFile file(sPath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(sPath));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_server.Start() && m_dir.isValid()); }

    void transfersInBlocks_data()
    {
        QTest::addColumn<Response>("response");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("iSize");
        QTest::addColumn<qint64>("llContentLength"); // the final answer's, -1 for none
        const auto ok = HttpTestServer::Ok;
        QTest::newRow("one block") << ok(Bytes(2048), "video/x-flv")
                                   << QStringList{"P100", "P100", "C"} << 2048 << qint64(2048);
        QTest::newRow("short second block") << ok(Bytes(3000), "video/x-flv")
                                            << QStringList{"P68", "P100", "P100", "C"} << 3000
                                            << qint64(3000);
        QTest::newRow("empty") << ok("", "video/x-flv") << QStringList{"P0", "C"} << 0 << qint64(0);
        QTest::newRow("no length: byte counts")
            << With(ok(Bytes(3000), "x/y"), [](Response &r) { r.addContentLength = false; })
            << QStringList{"P2048", "P3000", "P3000", "C"} << 3000 << qint64(-1);
        QTest::newRow("chunked")
            << With(ok(Bytes(5000), "x/y"), [](Response &r) { r.chunked = true; })
            << QStringList{"P2048", "P4096", "P5000", "P5000", "C"} << 5000 << qint64(-1);
        // Blocks stay whole however the data dribbles in.
        QTest::newRow("trickle") << With(ok(Bytes(5000), "x/y"), [](Response &r) {
            r.trickleBytes = 700;
            r.trickleIntervalMs = 10;
        }) << QStringList{"P41", "P82", "P100", "P100", "C"} << 5000 << qint64(5000);
        QTest::newRow("404 page is transferred")
            << With(ok(Bytes(17), "text/html"),
                    [](Response &r) { r.statusLine = "HTTP/1.1 404 Not Found"; })
            << QStringList{"P100", "P100", "C"} << 17 << qint64(17);
        m_server.SetRoute(QStringLiteral("/moved-here"), ok(Bytes(3000), "x/y"));
        QTest::newRow("redirect") << HttpTestServer::Redirect(m_server.Url("/moved-here").toUtf8())
                                  << QStringList{"P68", "P100", "P100", "C"} << 3000
                                  << qint64(3000);
    }

    void transfersInBlocks()
    {
        QFETCH(Response, response);
        QFETCH(QStringList, expected);
        QFETCH(int, iSize);
        QFETCH(qint64, llContentLength);
        // A fresh control asks for the size itself before its first transfer.
        Download download;
        DownloadRecorder recorder(download);
        Aim(download, "/blocks/" + Tag(), response);
        QVERIFY(download.StartDownload());
        QCOMPARE(recorder.events, expected);
        QCOMPARE(LocalContent(download), Bytes(iSize));
        // The final answer's status, after any redirect.
        const int iExpectedStatus = QByteArray(QTest::currentDataTag()).startsWith("404") ? 404 : 200;
        QCOMPARE(download.HttpStatus(), iExpectedStatus);
        QCOMPARE(download.ContentLength(), llContentLength);
        QCOMPARE(download.BytesReceived(), qint64(iSize));
    }

    void cancelInFirstProgress()
    {
        Download download;
        DownloadRecorder recorder(download);
        recorder.onProgress = [&download](qint64) { download.CancelDownload(); };
        Aim(download, QStringLiteral("/cancel"), HttpTestServer::Ok(Bytes(5000)));
        QVERIFY(!download.StartDownload());
        QCOMPARE(recorder.events, (QStringList{"P41", "X2048"}));
        QVERIFY(NothingLeft(download.LocalFile()));
    }

    // What lies under the name (or under its part) before a transfer, and
    // what must hold afterwards: the new file is whole under the name, or
    // under the next number when the name was taken; what the name held
    // stays, and nothing a link pointed to was written or had its
    // permissions changed.
    void localFilesAndLinks_data()
    {
        QTest::addColumn<QString>("sSetup");
        QTest::newRow("longer old file") << "old";
        QTest::newRow("read-only old file") << "old read-only";
        QTest::newRow("link to a read-only file outside") << "link file";
        QTest::newRow("link to nothing outside") << "link nowhere";
        QTest::newRow("link to a folder outside") << "link folder";
        QTest::newRow("stale part") << "part";
        QTest::newRow("stale part linked to a file outside") << "part link file";
    }

    void localFilesAndLinks()
    {
        QFETCH(QString, sSetup);
        QTemporaryDir inside, outside;
        const QString sName = inside.filePath("clip.flv");
        const QString sTarget = outside.filePath("target");
        const QByteArray kept(7000, 'k');
        const QFile::Permissions readOnly = QFileDevice::ReadOwner | QFileDevice::ReadUser;
        if (sSetup.startsWith("old"))
            Write(sName, kept);
        if (sSetup == "old read-only")
            QVERIFY(QFile::setPermissions(sName, readOnly));
        if (sSetup.endsWith("link file")) {
            Write(sTarget, kept);
            QVERIFY(QFile::setPermissions(sTarget, readOnly));
        }
        if (sSetup == "link folder")
            QVERIFY(QDir().mkpath(sTarget));
        if (sSetup.startsWith("link"))
            QVERIFY(QFile::link(sTarget, sName));
        if (sSetup == "part")
            Write(sName + ".part", kept);
        if (sSetup == "part link file")
            QVERIFY(QFile::link(sTarget, sName + ".part"));

        Download download;
        Aim(download, "/local-" + Tag(), HttpTestServer::Ok(Bytes(5000)));
        download.SetLocalFile(sName);
        QVERIFY(download.StartDownload());

        const bool bTaken = sSetup.startsWith("old") || sSetup.startsWith("link");
        const QString sSaved = bTaken ? inside.filePath("clip (2).flv") : sName;
        QCOMPARE(download.SavedFile(), sSaved);
        QVERIFY(!QFileInfo(sSaved).isSymLink());
        QCOMPARE(Content(sSaved), Bytes(5000));
        QCOMPARE(QFileInfo(sName).isSymLink(), sSetup.startsWith("link"));
        if (sSetup.startsWith("old"))
            QCOMPARE(Content(sName), kept);
        QVERIFY(!QFileInfo::exists(sName + ".part"));
        if (sSetup.endsWith("link file")) {
            QCOMPARE(Content(sTarget), kept);
            struct stat target {};
            QVERIFY(::stat(QFile::encodeName(sTarget).constData(), &target) == 0);
            QCOMPARE(target.st_mode & 07777, mode_t(0400));
        }
        QCOMPARE(QDir(outside.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                 sSetup == "link nowhere" || !sSetup.contains("link") ? QStringList()
                                                                      : QStringList{"target"});
        if (sSetup == "link folder")
            QVERIFY(QDir(sTarget).isEmpty());
    }

    void openFailures_data()
    {
        QTest::addColumn<QString>("sUrl");
        const QString sRefused = RefusedUrl();
        auto serve = [this](const QString &sPath, const Response &response) {
            m_server.SetRoute(sPath, response);
            return m_server.Url(sPath);
        };
        QTest::newRow("unresolvable host") << QStringLiteral("http://no-such-host.invalid/a.flv");
        QTest::newRow("refused") << sRefused;
        QTest::newRow("closed before headers")
            << serve("/close", With(Response(), [](Response &r) { r.closeWithoutAnswer = true; }));
        QTest::newRow("not HTTP") << serve("/ssh", With(Response(), [](Response &r) {
            r.rawAnswer = "SSH-2.0-OpenSSH_9.2\r\n";
        }));
        QTest::newRow("no answer")
            << serve("/mute", With(Response(), [](Response &r) { r.neverAnswer = true; }));
        QTest::newRow("redirect to refused")
            << serve("/to-refused", HttpTestServer::Redirect(sRefused.toUtf8()));
        QTest::newRow("not http") << QStringLiteral("ftp://127.0.0.1/a.flv");
    }

    void openFailures()
    {
        QFETCH(QString, sUrl);
        Download download;
        DownloadRecorder recorder(download);
        download.SetInactivityTimeoutSeconds(1);
        download.SetUrl(sUrl);
        download.SetLocalFile(m_dir.filePath("open-" + Tag()));
        QVERIFY(!download.StartDownload());
        QCOMPARE(recorder.events, QStringList{"E:Could not find Url"});
        QVERIFY(!QFile::exists(download.LocalFile()));
        // The session stays open for the next transfer.
        QVERIFY(download.SessionOpen());
    }

    // Answers whose headers go on for ever are given up, as no answer, before
    // Qt's buffering of them can matter. The limit is short here: the
    // program's own would only make the test wait.
    void headersThatNeverEnd_data()
    {
        QTest::addColumn<Response>("response");
        QTest::addColumn<bool>("bInformation");
        const Response line = With(Response(), [](Response &r) {
            r.rawAnswer = "HTTP/1.1 200 OK\r\nX-Pad: ";
            r.endlessRaw = QByteArray(4096, 'a');
        });
        const Response lines = With(Response(), [](Response &r) {
            r.rawAnswer = "HTTP/1.1 200 OK\r\n";
            r.endlessRaw = "X-Pad: " + QByteArray(100, 'a') + "\r\n";
        });
        QTest::newRow("one endless line, transfer") << line << false;
        QTest::newRow("endless lines, transfer") << lines << false;
        QTest::newRow("endless lines, information") << lines << true;
    }

    void headersThatNeverEnd()
    {
        QFETCH(Response, response);
        QFETCH(bool, bInformation);
        Download download;
        DownloadRecorder recorder(download);
        Aim(download, "/endless/" + Tag(), response);
        // Only the header limit may end these.
        download.SetInactivityTimeoutSeconds(0);
        download.SetHeaderTimeLimitSeconds(2);
        ResetPeakMemory();
        if (bInformation) {
            download.RequestInformation();
            QCOMPARE(download.FileExists(), false);
            QCOMPARE(download.FileSize(), -1.0);
        } else {
            // Asked once already, the control goes straight to the transfer.
            m_server.SetRoute("/endless/asked", HttpTestServer::Ok("x"));
            const QString sEndless = download.Url();
            download.SetUrl(m_server.Url("/endless/asked"));
            download.RequestInformation();
            download.SetUrl(sEndless);
            QVERIFY(!download.StartDownload());
            QCOMPARE(recorder.events, QStringList{"E:Could not find Url"});
            QVERIFY(NothingLeft(download.LocalFile()));
        }
        const qint64 llPeak = PeakMemoryKiB();
#ifdef CLIPVANE_SANITIZED
        QSKIP("peak memory under the sanitizers measures their shadow memory and quarantine");
#endif
        QVERIFY2(llPeak < 200 * 1024, qPrintable(QString::number(llPeak) + " KiB"));
    }

    // A cancel reaches a transfer or an information request that waits for
    // the network, not only one that receives blocks, and nothing is asked of
    // the server after it.
    void cancelDuringAWait_data()
    {
        QTest::addColumn<Response>("response");
        QTest::addColumn<bool>("bInformation");
        QTest::addColumn<QByteArray>("cancelAt"); // the request that is waited on
        const Response trickle = With(HttpTestServer::Ok(Bytes(100000)), [](Response &r) {
            r.trickleBytes = 100;
            r.trickleIntervalMs = 200;
        });
        const Response mute = With(Response(), [](Response &r) { r.neverAnswer = true; });
        QTest::newRow("body trickles") << trickle << false << QByteArray("GET ");
        QTest::newRow("headers never come") << mute << false << QByteArray("HEAD ");
        QTest::newRow("information never comes") << mute << true << QByteArray("HEAD ");
    }

    void cancelDuringAWait()
    {
        QFETCH(Response, response);
        QFETCH(bool, bInformation);
        QFETCH(QByteArray, cancelAt);
        Download download;
        DownloadRecorder recorder(download);
        const QString sPath = "/wait/" + Tag();
        Aim(download, sPath, response);
        download.SetInactivityTimeoutSeconds(0);
        download.SetHeaderTimeLimitSeconds(0);

        auto requests = [&] {
            int iCount = 0;
            for (const QByteArray &head : m_server.RequestHeads())
                iCount += head.contains(" " + sPath.toLatin1() + " ") ? 1 : 0;
            return iCount;
        };
        int iAtCancel = -1;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            for (const QByteArray &head : m_server.RequestHeads()) {
                if (iAtCancel < 0 && head.startsWith(cancelAt + sPath.toLatin1() + " ")) {
                    iAtCancel = requests();
                    download.CancelDownload();
                }
            }
        });
        watch.start(10);
        QElapsedTimer clock;
        clock.start();
        if (bInformation) {
            download.RequestInformation();
            QCOMPARE(download.FileExists(), false);
        } else {
            QVERIFY(!download.StartDownload());
            QVERIFY(recorder.events.last().startsWith('X'));
            QVERIFY(!recorder.events.contains("C"));
            QVERIFY(NothingLeft(download.LocalFile()));
        }
        // Loosely: the server alone would take minutes or never end.
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(iAtCancel > 0);
        QTest::qWait(300);
        QCOMPARE(requests(), iAtCancel);
    }

    void readFailures_data()
    {
        QTest::addColumn<Response>("response");
        const Response cut =
            With(HttpTestServer::Ok(Bytes(10000)), [](Response &r) { r.cutAfter = 5000; });
        QTest::newRow("body short of its length") << cut;
        QTest::newRow("reset mid-body") << With(cut, [](Response &r) { r.resetAtCut = true; });
        QTest::newRow("body stops") << With(cut, [](Response &r) {
            r.trickleBytes = 3000;
            r.trickleIntervalMs = 60 * 60 * 1000;
        });
    }

    void readFailures()
    {
        QFETCH(Response, response);
        Download download;
        DownloadRecorder recorder(download);
        Aim(download, "/read/" + Tag(), response);
        QVERIFY(!download.StartDownload());
        QCOMPARE(recorder.events.last(), QStringLiteral("E:Could not read URL"));
        QVERIFY(!recorder.events.contains(QStringLiteral("C")));
        // No half file under the name, and no part left over.
        QVERIFY(NothingLeft(download.LocalFile()));

        // A failed download of a file that is already there loses nothing.
        Write(download.LocalFile(), "earlier");
        QVERIFY(!download.StartDownload());
        QCOMPARE(LocalContent(download), QByteArray("earlier"));
        QVERIFY(!QFileInfo::exists(download.LocalFile() + ".part"));
    }

    void localFileFailures_data()
    {
        QTest::addColumn<QString>("sLocal");
        const QString sLocked = m_dir.filePath(QStringLiteral("locked"));
        QDir().mkpath(sLocked);
        QFile::setPermissions(sLocked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const QString sPipe = m_dir.filePath(QStringLiteral("pipe"));
        ::mkfifo(QFile::encodeName(sPipe).constData(), 0600);
        QTest::newRow("missing directory") << m_dir.filePath(QStringLiteral("no-such-dir/a.flv"));
        QTest::newRow("a directory") << m_dir.filePath(QStringLiteral("locked"));
        QTest::newRow("not a file") << sPipe;
        QTest::newRow("no permission") << sLocked + QStringLiteral("/a.flv");
        QTest::newRow("disk full") << m_dir.filePath(QStringLiteral("full.flv"));
    }

    void localFileFailures()
    {
        QFETCH(QString, sLocal);
        if (Tag() == QLatin1StringView("no-permission") && ::geteuid() == 0)
            QSKIP("permissions do not stop root");
        Download download;
        DownloadRecorder recorder(download);
        Aim(download, QStringLiteral("/local"), HttpTestServer::Ok(Bytes(3000)));
        const QString sGood = download.LocalFile();
        download.SetLocalFile(sLocal);
        // A full disk, as the process sees it: no file may grow past 1000 bytes.
        const bool bFull = Tag() == QLatin1StringView("disk-full");
        rlimit previous {};
        ::getrlimit(RLIMIT_FSIZE, &previous);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        if (bFull) {
            rlimit full = previous;
            full.rlim_cur = 1000;
            QVERIFY(::setrlimit(RLIMIT_FSIZE, &full) == 0);
        }
        const bool bStarted = download.StartDownload();
        ::setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!bStarted);
        QVERIFY(!QFileInfo::exists(sLocal + ".part"));
        if (sLocal.endsWith("pipe"))
            QVERIFY(QFileInfo(sLocal).isFile() == false && QFileInfo::exists(sLocal));
        // Not a transfer event: the caller sees it in the result and LastError.
        QVERIFY(!recorder.events.contains(QStringLiteral("C")));
        QVERIFY(recorder.events.filter(QRegularExpression("^E:")).isEmpty());
        QVERIFY(download.LastError().contains(sLocal));
        download.SetLocalFile(sGood);
        QVERIFY(download.StartDownload());
    }

    void requestInformation_data()
    {
        QTest::addColumn<Response>("response");
        QTest::addColumn<QString>("sExpected"); // exists|last modified|size|name|type

        const QByteArray date = "Tue, 01 Dec 2026 10:00:00 GMT";
        const Response full = With(HttpTestServer::Ok(Bytes(1234), "x/x-flv"), [&](Response &r) {
            r.headers << qMakePair(QByteArray("Last-Modified"), date)
                      << qMakePair(QByteArray("Content-Disposition"),
                                   QByteArray("attachment; filename=\"a b.flv\"; size=1"));
        });
        auto status = [](const Response &base, const QByteArray &line) {
            return With(base, [&](Response &r) { r.statusLine = line; });
        };
        const QString sFull = "|" + date + "|1234|\"a b.flv\"; size=1|x-flv";
        const Response html = HttpTestServer::Ok("x", "text/html; charset=UTF-8");
        QTest::newRow("all five") << full << "1" + sFull;
        QTest::newRow("404 Not Found") << status(full, "HTTP/1.1 404 Not Found") << "0" + sFull;
        QTest::newRow("404 File Not Found") << status(html, "HTTP/1.1 404 file not found")
                                            << "0|Not Available|1||html; charset=UTF-8";
        QTest::newRow("404 worded differently") << status(html, "HTTP/1.1 404 Nothing Here")
                                                << "1|Not Available|1||html; charset=UTF-8";
        QTest::newRow("type without slash")
            << HttpTestServer::Ok("x", "weird") << "1|Not Available|1||weird";
        QTest::newRow("no length") << With(html, [](Response &r) { r.addContentLength = false; })
                                   << "1|Not Available|-1||html; charset=UTF-8";
        // Far past the 1024 bytes an old header buffer could hold.
        QTest::newRow("long header block") << With(full, [](Response &r) {
            for (int i = 0; i < 60; ++i)
                r.headers.prepend({"X-Pad-" + QByteArray::number(i), QByteArray(100, 'p')});
        }) << "1" + sFull;
        QTest::newRow("6 GiB") << With(HttpTestServer::Ok("", "video/mp4"), [](Response &r) {
            r.addContentLength = false;
            r.headers << qMakePair(QByteArray("Content-Length"), QByteArray("6442450944"));
        }) << "1|Not Available|6442450944||mp4";
        QTest::newRow("credentials") << With(full, [](Response &r) { r.basicAuth = "ann:secret"; })
                                     << "1" + sFull;
    }

    void requestInformation()
    {
        QFETCH(Response, response);
        QFETCH(QString, sExpected);
        Download download;
        Aim(download, "/info/" + Tag(), response);
        download.SetSiteUser(QStringLiteral("ann"));
        download.SetSitePassword(QStringLiteral("secret"));
        download.RequestInformation();
        const QString sActual = QStringList{download.FileExists() ? "1" : "0",
                                            download.LastModified(),
                                            QString::number(qint64(download.FileSize())),
                                            download.RemoteFileName(), download.RemoteFileType()}
                                    .join(QLatin1Char('|'));
        QCOMPARE(sActual, sExpected);
    }

    void noAnswerForgetsEarlierFile()
    {
        Download download;
        Response named = HttpTestServer::Ok("x", "x/x-flv");
        named.headers += qMakePair(QByteArray("Content-Disposition"), QByteArray("filename=a.flv"));
        Aim(download, QStringLiteral("/named"), named);
        download.RequestInformation();
        QCOMPARE(download.RemoteFileName(), QStringLiteral("a.flv"));
        download.SetUrl(RefusedUrl());
        download.RequestInformation();
        QCOMPARE(download.FileExists(), false);
        QCOMPARE(download.LastModified(), QStringLiteral("Not Available"));
        QCOMPARE(download.FileSize(), -1.0);
        QCOMPARE(download.RemoteFileName(), QString());
        QCOMPARE(download.RemoteFileType(), QString());
    }

    // A length is a digit string and nothing else; any other value is no
    // length at all.
    void lengthsAreDigitsOnly_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<qint64>("lSize"); // -1: none
        QTest::newRow("digits") << QByteArray("1234") << qint64(1234);
        QTest::newRow("blanks around") << QByteArray(" 1234 ") << qint64(1234);
        QTest::newRow("nan") << QByteArray("nan") << qint64(-1);
        QTest::newRow("inf") << QByteArray("inf") << qint64(-1);
        QTest::newRow("negative") << QByteArray("-5") << qint64(-1);
        QTest::newRow("exponent") << QByteArray("1e3") << qint64(-1);
        QTest::newRow("plus sign") << QByteArray("+5") << qint64(-1);
        QTest::newRow("fraction") << QByteArray("12.5") << qint64(-1);
        QTest::newRow("hexadecimal") << QByteArray("0x10") << qint64(-1);
        QTest::newRow("past 63 bits") << QByteArray("9223372036854775808") << qint64(-1);
    }

    void lengthsAreDigitsOnly()
    {
        QFETCH(QByteArray, value);
        QFETCH(qint64, lSize);
        Download download;
        Aim(download, "/length/" + Tag(), With(HttpTestServer::Ok(""), [&](Response &r) {
            r.addContentLength = false;
            r.headers << qMakePair(QByteArray("Content-Length"), value);
        }));
        download.RequestInformation();
        QCOMPARE(download.FileSize(), double(lSize));
    }

    // A kept part of 30,000 bytes of a 100,000-byte file, and a server that
    // ignores If-Range: its 206 continues the part only when it names the
    // part's validator again and the same whole length; otherwise the whole
    // file is asked for and the part is started over.
    void resumeContinuesOnlyTheSameFile_data()
    {
        QTest::addColumn<QByteArray>("firstValidator"); // "ETag: ..." or "Last-Modified: ..."
        QTest::addColumn<Headers>("rangeHeaders"); // of the 206
        QTest::addColumn<bool>("bContinued");
        const QByteArray eTag = "ETag: \"v1\"";
        const QByteArray date = "Last-Modified: Mon, 07 Dec 2026 10:00:00 GMT";
        const QPair<QByteArray, QByteArray> range{"Content-Range", "bytes 30000-99999/100000"};
        QTest::newRow("same ETag, same total") << eTag << Headers{{"ETag", "\"v1\""}, range} << true;
        QTest::newRow("same Last-Modified, same total")
            << date << Headers{{"Last-Modified", "Mon, 07 Dec 2026 10:00:00 GMT"}, range} << true;
        QTest::newRow("another ETag") << eTag << Headers{{"ETag", "\"v2\""}, range} << false;
        QTest::newRow("another total")
            << eTag << Headers{{"ETag", "\"v1\""}, {"Content-Range", "bytes 30000-99999/120000"}}
            << false;
        QTest::newRow("no validator") << eTag << Headers{range} << false;
        QTest::newRow("weak form of the same ETag")
            << eTag << Headers{{"ETag", "W/\"v1\""}, range} << false;
        QTest::newRow("total unknown")
            << eTag << Headers{{"ETag", "\"v1\""}, {"Content-Range", "bytes 30000-99999/*"}}
            << false;
        QTest::newRow("total not a number")
            << eTag << Headers{{"ETag", "\"v1\""}, {"Content-Range", "bytes 30000-99999/1e5"}}
            << false;
    }

    void resumeContinuesOnlyTheSameFile()
    {
        QFETCH(QByteArray, firstValidator);
        QFETCH(Headers, rangeHeaders);
        QFETCH(bool, bContinued);
        const QByteArray file = Bytes(100000);
        const QByteArray changed = QByteArray(100000, 'n');
        const qsizetype iColon = firstValidator.indexOf(": ");
        const Response first = With(HttpTestServer::Ok(file), [&](Response &r) {
            r.headers << qMakePair(firstValidator.left(iColon), firstValidator.mid(iColon + 2));
            r.cutAfter = 30000;
        });
        const Response partial = With(HttpTestServer::Ok(changed.mid(30000)), [&](Response &r) {
            r.statusLine = "HTTP/1.1 206 Partial Content";
            r.headers = rangeHeaders;
        });
        Download download;
        download.SetResume(true);
        const QString sPath = "/splice/" + Tag();
        Aim(download, sPath, first);
        m_server.SetRouteSequence(sPath, {first, partial, HttpTestServer::Ok(changed)});
        QVERIFY(!download.StartDownload());
        QCOMPARE(QFileInfo(download.LocalFile() + ".part").size(), qint64(30000));

        QVERIFY(download.StartDownload());
        QCOMPARE(download.ResumedFrom(), bContinued ? qint64(30000) : qint64(0));
        QCOMPARE(LocalContent(download), bContinued ? file.left(30000) + changed.mid(30000) : changed);
    }

    void requestsAskForIdentityAndNoCache()
    {
        const qsizetype iBefore = m_server.RequestHeads().size();
        Download download;
        Aim(download, QStringLiteral("/heads"), HttpTestServer::Ok(Bytes(100)));
        QVERIFY(download.StartDownload());
        QVERIFY(!download.SessionOpen()); // dropped at the end of every transfer
        const QList<QByteArray> heads = m_server.RequestHeads().mid(iBefore);
        QCOMPARE(heads.size(), 2);
        QVERIFY(heads[0].startsWith("HEAD /heads ") && heads[1].startsWith("GET /heads "));
        for (const QByteArray &head : heads) {
            QVERIFY(head.contains(
                "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)"));
            QVERIFY(head.toLower().contains("\r\naccept-encoding: identity"));
            QVERIFY(head.toLower().contains("\r\ncache-control: no-cache"));
        }
    }

    void https()
    {
        // A certificate for 127.0.0.1 that this test's client trusts.
        QTemporaryDir keys;
        QProcess openssl;
        openssl.start("openssl",
                      {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                       "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout",
                       keys.filePath("key.pem"), "-out", keys.filePath("cert.pem")});
        CLIPVANE_REQUIRE_TOOL(openssl.waitForFinished() && openssl.exitCode() == 0
                                  && QSslSocket::supportsSsl(),
                              "no openssl to make a certificate, or no TLS in Qt");
        QFile cert(keys.filePath("cert.pem")), key(keys.filePath("key.pem"));
        QVERIFY(cert.open(QIODevice::ReadOnly) && key.open(QIODevice::ReadOnly));
        const QByteArray certPem = cert.readAll();
        QSslConfiguration trusting = QSslConfiguration::defaultConfiguration();
        trusting.addCaCertificate(QSslCertificate(certPem));
        QSslConfiguration::setDefaultConfiguration(trusting);

        HttpTestServer tls;
        tls.SetTls(certPem, key.readAll());
        QVERIFY(tls.Start());
        tls.SetRoute("/secure.flv", HttpTestServer::Ok(Bytes(3000)));
        Download download;
        DownloadRecorder recorder(download);
        download.SetUrl(tls.Url("/secure.flv"));
        download.SetLocalFile(m_dir.filePath("secure.flv"));
        QVERIFY(download.Url().startsWith("https://"));
        QVERIFY(download.StartDownload());
        QCOMPARE(recorder.events, (QStringList{"P68", "P100", "P100", "C"}));
        QCOMPARE(LocalContent(download), Bytes(3000));
    }

    // Sizes past 2^31 and 2^32 bytes, without moving them: the answer
    // announces one, the transfer stops at the byte limit. A size cut to 32
    // bits would show as a percentage above 0 or as a byte count.
    void sizesPastFourGiB_data()
    {
        QTest::addColumn<qint64>("lSize");
        QTest::newRow("2 GiB + 4 KiB") << (qint64(1) << 31) + 4096;
        QTest::newRow("4 GiB + 4 KiB") << (qint64(1) << 32) + 4096;
        QTest::newRow("6 GiB") << qint64(6) * 1024 * 1024 * 1024;
    }

    void sizesPastFourGiB()
    {
        QFETCH(qint64, lSize);
        Download download;
        DownloadRecorder recorder(download);
        // The first 4 KiB, then a pause the transfer never waits out.
        Aim(download, "/huge/" + Tag(), With(HttpTestServer::Ok(Bytes(8192)), [&](Response &r) {
            r.addContentLength = false;
            r.headers << qMakePair(QByteArray("Content-Length"), QByteArray::number(lSize));
            r.trickleBytes = 4096;
            r.trickleIntervalMs = 60 * 60 * 1000;
        }));
        download.SetByteLimit(4096);
        QVERIFY(download.StartDownload());
        QCOMPARE(download.FileSize(), double(lSize));
        QCOMPARE(download.ContentLength(), lSize);
        QCOMPARE(recorder.events, (QStringList{"P0", "P0", "P0", "C"}));
        QCOMPARE(download.BytesReceived(), qint64(4096));
        QCOMPARE(LocalContent(download), Bytes(4096));
    }
};

QTEST_GUILESS_MAIN(tst_Download)
#include "tst_download.moc"
