#include <QTemporaryDir>
#include <QtTest>

#include "downloadrecorder.h"
#include "httptestserver.h"
#include "list/downloadliststore.h"
#include "list/downloadviewmodel.h"
#include "list/idownloadgrid.h"
#include "list/runstate.h"
#include "net/download.h"
#include "scriptedmessagebox.h"
#include "session/downloadeventhandlers.h"

// A list of two items; the second is current and shown in the grid.
struct HandlerFixture
{
    HandlerFixture()
    {
        for (const char *sPage : {"http://a.example/1", "http://a.example/2"}) {
            QString sStatus, sSize;
            store.AddDownloadItem(QString::fromLatin1(sPage), "f.flv", sStatus, sSize);
        }
        store.FillDownloadList();
        run.SetCurrentItem(1);
    }

    const DownloadItem &Item() const { return store.Items().at(1); }

    HeadlessDownloadGrid grid;
    ScriptedMessageBox messageBox;
    DownloadListStore store{grid, messageBox};
    RunState run{grid, store};
    Download download;
    DownloadEventHandlers handlers{download, store, run};
};

class tst_DownloadEventHandlers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale::c()); }

    void progress_data()
    {
        QTest::addColumn<bool>("bFetchingPage");
        QTest::addColumn<QString>("sFileSize");
        QTest::addColumn<qint64>("lProgress");
        QTest::addColumn<QString>("sStatus");
        QTest::newRow("page, start") << true << "????" << qint64(0) << "Preparing (0%)";
        QTest::newRow("page, all") << true << "????" << qint64(100) << "Preparing (100%)";
        QTest::newRow("page, byte count") << true << "????" << qint64(2048) << "Preparing...";
        QTest::newRow("file, percentage") << false << "3.2 MB" << qint64(42) << "42";
        QTest::newRow("file, past 100") << false << "3.2 MB" << qint64(103) << "103";
        QTest::newRow("file, unknown size") << false << "0" << qint64(1572864) << "1.5 MB so far..";
        QTest::newRow("file, unknown size, bytes") << false << "0" << qint64(512)
                                                   << "512 Bytes so far..";
        QTest::newRow("file, past 4 GiB") << false << "0" << qint64(5368709120) << "5 GB so far..";
        QTest::newRow("file, size request failed")
            << false << "-1 Bytes" << qint64(1572864) << "1.5 MB so far..";
    }

    void progress()
    {
        QFETCH(bool, bFetchingPage);
        QFETCH(QString, sFileSize);
        QFETCH(qint64, lProgress);
        QFETCH(QString, sStatus);
        HandlerFixture f;
        f.store.SetFileSize(f.Item().uSerial, sFileSize);
        if (bFetchingPage)
            f.handlers.BeginPageFetch();
        const DownloadViewModel *pView = f.store.rsDownloadView();
        Q_EMIT f.download.DownloadProgress(lProgress);
        QCOMPARE(f.Item().Status, sStatus);
        QCOMPARE(f.store.Items().at(0).Status, QStringLiteral("Waiting"));
        // Both write into the row of the bound view; no rebuild throws away
        // what the user has selected or is typing.
        QCOMPARE(f.store.rsDownloadView(), pView);
        QCOMPARE(f.store.rsDownloadView()->CellText(1, DownloadViewModel::colStatus), sStatus);
    }

    void endOfTransfer_data()
    {
        QTest::addColumn<bool>("bFetchingPage");
        QTest::addColumn<bool>("bComplete");
        QTest::addColumn<QString>("sStatus");
        QTest::addColumn<QString>("sResult");
        QTest::newRow("page complete") << true << true << "Start Downloading..." << "1";
        QTest::newRow("file complete") << false << true << "40" << "1";
        QTest::newRow("page error") << true << false << "40" << "Could not read URL";
        QTest::newRow("file error") << false << false << "40" << "Could not read URL";
    }

    void endOfTransfer()
    {
        QFETCH(bool, bFetchingPage);
        QFETCH(bool, bComplete);
        QFETCH(QString, sStatus);
        QFETCH(QString, sResult);
        HandlerFixture f;
        f.store.SetStatus(f.Item().uSerial, u"40");
        if (bFetchingPage)
            f.handlers.BeginPageFetch();
        if (bComplete)
            Q_EMIT f.download.DownloadComplete();
        else
            Q_EMIT f.download.DownloadError(QStringLiteral("Could not read URL"));
        QCOMPARE(f.Item().Status, sStatus);
        QCOMPARE(f.handlers.sDownloadResult(), sResult);
    }

    void currentItemOutOfRange_data()
    {
        QTest::addColumn<int>("iCurrentItem");
        QTest::addColumn<bool>("bFetchingPage");
        QTest::newRow("past the end, page") << 5 << true;
        QTest::newRow("past the end, file") << 5 << false;
        QTest::newRow("negative, file") << -1 << false;
    }

    void currentItemOutOfRange()
    {
        QFETCH(int, iCurrentItem);
        QFETCH(bool, bFetchingPage);
        HandlerFixture f;
        f.run.SetCurrentItem(iCurrentItem);
        if (bFetchingPage)
            f.handlers.BeginPageFetch();
        Q_EMIT f.download.DownloadProgress(50);
        Q_EMIT f.download.DownloadComplete();
        QCOMPARE(f.store.Count(), 2);
        QCOMPARE(f.store.Items().at(0).Status + f.Item().Status, QStringLiteral("WaitingWaiting"));
        QCOMPARE(f.handlers.sDownloadResult(), QStringLiteral("1"));
    }

    void stopRequestCancelsTransfer()
    {
        HttpTestServer server;
        QVERIFY(server.Start());
        server.SetRoute(QStringLiteral("/stop.flv"), HttpTestServer::Ok(QByteArray(5000, 's')));
        QTemporaryDir dir;
        HandlerFixture f;
        DownloadRecorder recorder(f.download);
        f.run.RequestStop();
        f.download.SetUrl(server.Url(QStringLiteral("/stop.flv")));
        f.download.SetLocalFile(dir.filePath(QStringLiteral("stop.flv")));
        QVERIFY(!f.download.StartDownload());
        QCOMPARE(recorder.events, (QStringList{"P41", "X2048"}));
        // A cancel has no handler: the result stays as the caller left it.
        QCOMPARE(f.handlers.sDownloadResult(), QString());
    }
};

QTEST_GUILESS_MAIN(tst_DownloadEventHandlers)
#include "tst_downloadeventhandlers.moc"
