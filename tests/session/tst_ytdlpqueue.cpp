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

// The window's queue with yt-dlp: an item taken off the list while yt-dlp
// works for it ends yt-dlp, whatever it started, and the run goes on.
class tst_YtDlpQueue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void removedItemEndsItsYtDlp_data();
    void removedItemEndsItsYtDlp();
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
    HttpTestServer server;
    QVERIFY(server.Start());
    server.SetRoute(QStringLiteral("/cdn/f.mp4"), HttpTestServer::Ok("the file", "video/mp4"));
    QTemporaryDir bin;
    QTemporaryDir downloads;
    const QString sChild = bin.filePath(QStringLiteral("child"));
    QFile script(bin.filePath(QStringLiteral("stand-in")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nfor a; do last=$a; done\n"
                 "case \"$last\" in *hang*) sleep 300 & echo $! > '" + sChild.toUtf8()
                 + "'; wait;; esac\n"
                   "echo '{\"title\":\"Second\",\"ext\":\"mp4\",\"protocol\":\"http\",\"url\":\""
                 + server.Url(QStringLiteral("/cdn/f.mp4")).toUtf8() + "\"}'\n");
    script.close();
    QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    HeadlessDownloadGrid grid;
    ScriptedMessageBox messages;
    SkinVariables skin;
    DownloadSession session(grid, messages, skin);
    session.Settings().sDownloadDir = downloads.path();
    session.Settings().bAnySite = true;
    session.Settings().sYtDlpProgram = script.fileName();
    session.Queue().SetConnectivityTest([] { return true; });
    session.Adder().AddURL(server.Url(QStringLiteral("/watch/hang")));
    session.Adder().AddURL(server.Url(QStringLiteral("/watch/next")));

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
    const QStringList saved = QDir(downloads.path()).entryList(QDir::Files);
    if (bRemove) {
        QCOMPARE(session.ListStore().Count(), 1);
        QCOMPARE(session.ListStore().ItemAt(0)->Status, QStringLiteral("Complete"));
        QCOMPARE(saved, QStringList{QStringLiteral("Second.mp4")});
    } else {
        QCOMPARE(session.ListStore().ItemAt(0)->Status, QStringLiteral("Cancelled"));
        QCOMPARE(saved, QStringList());
    }
}

QTEST_GUILESS_MAIN(tst_YtDlpQueue)
#include "tst_ytdlpqueue.moc"
