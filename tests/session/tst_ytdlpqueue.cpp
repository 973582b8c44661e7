#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "core/skinvariables.h"
#include "httptestserver.h"
#include "list/downloadliststore.h"
#include "list/idownloadgrid.h"
#include "list/urladder.h"
#include "scriptedmessagebox.h"
#include "session/downloadqueue.h"
#include "session/downloadsession.h"
#include "settings/programsettings.h"
#include "shellscript.h"

// The window's queue with yt-dlp: an item taken off the list while yt-dlp
// works for it ends yt-dlp, whatever it started, and the run goes on; an
// address that answers with the media file itself never starts yt-dlp.
// A session whose yt-dlp is a stand-in script: sFirst runs, then it answers
// with one file on the test's server, "Second.mp4".
struct StandInQueue
{
    HttpTestServer server;
    QTemporaryDir bin;
    QTemporaryDir downloads;
    HeadlessDownloadGrid grid;
    ScriptedMessageBox messages;
    SkinVariables skin;
    DownloadSession session{grid, messages, skin};

    bool Start(const QByteArray &sFirst)
    {
        if (!server.Start())
            return false;
        server.SetRoute(QStringLiteral("/cdn/f.mp4"), HttpTestServer::Ok("the file", "video/mp4"));
        const QString sScript = bin.filePath(QStringLiteral("stand-in"));
        if (!WriteShellScript(sScript, sFirst + "\necho '{\"title\":\"Second\",\"ext\":\"mp4\","
                                                "\"protocol\":\"http\",\"url\":\""
                                           + server.Url(QStringLiteral("/cdn/f.mp4")).toUtf8() + "\"}'"))
            return false;
        session.Settings().sDownloadDir = downloads.path();
        session.Settings().bAnySite = true;
        session.Settings().sYtDlpProgram = sScript;
        session.Queue().SetConnectivityTest([] { return true; });
        return true;
    }

    QStringList Saved() const { return QDir(downloads.path()).entryList(QDir::Files); }
};

class tst_YtDlpQueue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void removedItemEndsItsYtDlp_data();
    void removedItemEndsItsYtDlp();
    void mediaAnswerNeedsNoYtDlp_data();
    void mediaAnswerNeedsNoYtDlp();
};

void tst_YtDlpQueue::removedItemEndsItsYtDlp_data()
{
    // How the item goes: removed from the list, or the run stopped.
    QTest::addColumn<bool>("bRemove");
    QTest::newRow("removed") << true;
    QTest::newRow("program ends") << false;
}

void tst_YtDlpQueue::removedItemEndsItsYtDlp()
{
    QFETCH(bool, bRemove);
    StandInQueue queue;
    const QString sChild = queue.bin.filePath(QStringLiteral("child"));
    QVERIFY(queue.Start("for a; do last=$a; done\n"
                        "case \"$last\" in *hang*) sleep 300 & echo $! > '" + sChild.toUtf8()
                        + "'; wait;; esac"));
    DownloadSession &session = queue.session;
    session.Adder().AddURL(queue.server.Url(QStringLiteral("/watch/hang")));
    session.Adder().AddURL(queue.server.Url(QStringLiteral("/watch/next")));

    QTimer watch;
    watch.setInterval(20);
    connect(&watch, &QTimer::timeout, this, [&] {
        if (QFile(sChild).size() == 0)
            return;
        watch.stop();
        if (bRemove)
            session.ListStore().RemoveDownloadItem(1);
        else
            session.Queue().AbandonRun();
    });
    watch.start();
    session.Queue().cmdStartDownload_Click();

    QFile child(sChild);
    QVERIFY(child.open(QIODevice::ReadOnly));
    const QByteArray pid = child.readAll().trimmed();
    QVERIFY(!pid.isEmpty());
    auto bGone = [&pid] {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(QString::fromLatin1(pid)));
        return !stat.open(QIODevice::ReadOnly) || stat.readAll().contains(") Z ");
    };
    QTRY_VERIFY_WITH_TIMEOUT(bGone(), 10000);
    const QStringList saved = queue.Saved();
    if (bRemove) {
        QCOMPARE(session.ListStore().Count(), 1);
        QCOMPARE(session.ListStore().ItemAt(0)->Status, QStringLiteral("Complete"));
        QCOMPARE(saved, QStringList{QStringLiteral("Second.mp4")});
    } else {
        QCOMPARE(session.ListStore().ItemAt(0)->Status, QStringLiteral("Cancelled"));
        QCOMPARE(saved, QStringList());
    }
}

void tst_YtDlpQueue::mediaAnswerNeedsNoYtDlp_data()
{
    QTest::addColumn<QString>("sPath");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<bool>("bYtDlpAsked");
    QTest::addColumn<QString>("sSaved");
    QTest::newRow("named and served as a video") << "/v/clip.mp4" << QByteArray("video/mp4") << false
                                                 << "clip.mp4";
    QTest::newRow("named as a video, served as bytes")
        << "/v/clip.webm" << QByteArray("application/octet-stream") << false << "clip.webm";
    QTest::newRow("named as a video, served as a page") << "/v/clip.mp4" << QByteArray("text/html")
                                                        << true << "Second.mp4";
}

void tst_YtDlpQueue::mediaAnswerNeedsNoYtDlp()
{
    QFETCH(QString, sPath);
    QFETCH(QByteArray, type);
    QFETCH(bool, bYtDlpAsked);
    QFETCH(QString, sSaved);
    StandInQueue queue;
    const QString sAsked = queue.bin.filePath(QStringLiteral("asked"));
    QVERIFY(queue.Start("touch '" + sAsked.toUtf8() + "'"));
    queue.server.SetRoute(sPath, HttpTestServer::Ok("<html>the address</html>", type));
    queue.session.Adder().AddURL(queue.server.Url(sPath));
    queue.session.Queue().cmdStartDownload_Click();

    QCOMPARE(QFile::exists(sAsked), bYtDlpAsked);
    QCOMPARE(queue.session.ListStore().ItemAt(0)->Status, QStringLiteral("Complete"));
    QCOMPARE(queue.Saved(), QStringList{sSaved});
}

QTEST_GUILESS_MAIN(tst_YtDlpQueue)
#include "tst_ytdlpqueue.moc"
