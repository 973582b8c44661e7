#include <QTemporaryDir>
#include <QtTest>

#include "downloadrecorder.h"
#include "httptestserver.h"
#include "list/downloadliststore.h"
#include "list/downloadviewmodel.h"
#include "list/idownloadgrid.h"
#include "list/runstate.h"
#include "scriptedmessagebox.h"
#include "transfer/download.h"
#include "transfer/downloadeventhandlers.h"

// A list of two items, the second one current and shown in the grid.
struct HandlerFixture
{
    HandlerFixture()
    {
        for (const char *sPage : {"http://a.example/1", "http://a.example/2"}) {
            QString sStatus, sSize;
            store.AddDownloadItem(QString::fromLatin1(sPage), QStringLiteral("f.flv"), sStatus,
                                  sSize);
        }
        store.FillDownloadList();
        run.iCurrentItem = 1;
        run.FindCurrentRow();
    }

    DownloadItem &Item() { return store.DownloadList[1]; }
    QString CellStatus() const { return run.rowCurrent.CellText(DownloadViewModel::colStatus); }

    HeadlessDownloadGrid grid;
    ScriptedMessageBox messageBox;
    DownloadListStore store{grid, messageBox};
    RunState run{grid};
    Download download;
    DownloadEventHandlers handlers{download, store, run};
};

class TestDownloadEventHandlers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale::c()); }
    void pageFetchProgress_data();
    void pageFetchProgress();
    void fileProgress_data();
    void fileProgress();
    void complete_data();
    void complete();
    void errorOnlyRecordsResult();
    void currentItemOutOfRange_data();
    void currentItemOutOfRange();
    void stopRequestCancelsTransfer();
};

void TestDownloadEventHandlers::pageFetchProgress_data()
{
    QTest::addColumn<qint64>("lProgress");
    QTest::addColumn<QString>("sStatus");
    QTest::newRow("start") << qint64(0) << "Preparing (0%)";
    QTest::newRow("part") << qint64(37) << "Preparing (37%)";
    QTest::newRow("all") << qint64(100) << "Preparing (100%)";
    QTest::newRow("byte count") << qint64(2048) << "Preparing...";
}

void TestDownloadEventHandlers::pageFetchProgress()
{
    QFETCH(qint64, lProgress);
    QFETCH(QString, sStatus);
    HandlerFixture f;
    f.handlers.bFetchingPage = true;
    const DownloadViewModel *pOldView = f.store.rsDownloadView();
    Q_EMIT f.download.DownloadProgress(lProgress);
    QCOMPARE(f.Item().Status, sStatus);
    // A page fetch rebuilds the view, which then shows the new text.
    QVERIFY(f.store.rsDownloadView() != pOldView);
    QCOMPARE(f.store.rsDownloadView()->CellText(1, DownloadViewModel::colStatus), sStatus);
}

void TestDownloadEventHandlers::fileProgress_data()
{
    QTest::addColumn<QString>("sFileSize");
    QTest::addColumn<qint64>("lProgress");
    QTest::addColumn<QString>("sStatus");
    QTest::newRow("percentage") << "3.2 MB" << qint64(42) << "42";
    QTest::newRow("past 100") << "3.2 MB" << qint64(103) << "103";
    QTest::newRow("unknown size, MB") << "0" << qint64(1572864) << "1.5 MB so far..";
    QTest::newRow("unknown size, bytes") << "0" << qint64(512) << "512 Bytes so far..";
    QTest::newRow("unknown size past 4 GiB") << "0" << qint64(5368709120) << "5 GB so far..";
    QTest::newRow("size not yet known is a percentage") << "????" << qint64(7) << "7";
}

void TestDownloadEventHandlers::fileProgress()
{
    QFETCH(QString, sFileSize);
    QFETCH(qint64, lProgress);
    QFETCH(QString, sStatus);
    HandlerFixture f;
    f.Item().FileSize = sFileSize;
    const DownloadViewModel *pView = f.store.rsDownloadView();
    Q_EMIT f.download.DownloadProgress(lProgress);
    QCOMPARE(f.Item().Status, sStatus);
    QCOMPARE(f.CellStatus(), sStatus);
    // Written into the bound view, not rebuilt.
    QCOMPARE(f.store.rsDownloadView(), pView);
    QCOMPARE(f.store.DownloadList[0].Status, QStringLiteral("Waiting"));
}

void TestDownloadEventHandlers::complete_data()
{
    QTest::addColumn<bool>("bFetchingPage");
    QTest::addColumn<QString>("sStatus");
    QTest::newRow("page fetch") << true << "Start Downloading...";
    QTest::newRow("file transfer") << false << "100";
}

void TestDownloadEventHandlers::complete()
{
    QFETCH(bool, bFetchingPage);
    QFETCH(QString, sStatus);
    HandlerFixture f;
    f.Item().Status = QStringLiteral("100");
    f.handlers.bFetchingPage = bFetchingPage;
    Q_EMIT f.download.DownloadComplete();
    QCOMPARE(f.Item().Status, sStatus);
    QCOMPARE(f.handlers.sDownloadResult, QStringLiteral("1"));
}

void TestDownloadEventHandlers::errorOnlyRecordsResult()
{
    HandlerFixture f;
    f.handlers.bFetchingPage = true;
    f.Item().Status = QStringLiteral("Preparing (40%)");
    Q_EMIT f.download.DownloadError(QStringLiteral("Could not read URL"));
    QCOMPARE(f.handlers.sDownloadResult, QStringLiteral("Could not read URL"));
    QCOMPARE(f.Item().Status, QStringLiteral("Preparing (40%)"));
}

void TestDownloadEventHandlers::currentItemOutOfRange_data()
{
    QTest::addColumn<int>("iCurrentItem");
    QTest::addColumn<bool>("bFetchingPage");
    QTest::newRow("past the end, page") << 5 << true;
    QTest::newRow("past the end, file") << 5 << false;
    QTest::newRow("negative, file") << -1 << false;
}

void TestDownloadEventHandlers::currentItemOutOfRange()
{
    QFETCH(int, iCurrentItem);
    QFETCH(bool, bFetchingPage);
    HandlerFixture f;
    const QList<DownloadItem> before = f.store.DownloadList;
    f.run.iCurrentItem = qint16(iCurrentItem);
    f.handlers.bFetchingPage = bFetchingPage;
    Q_EMIT f.download.DownloadProgress(50);
    Q_EMIT f.download.DownloadComplete();
    QCOMPARE(f.store.DownloadList.size(), before.size());
    for (int i = 0; i < before.size(); ++i)
        QCOMPARE(f.store.DownloadList[i].Status, before[i].Status);
    QCOMPARE(f.handlers.sDownloadResult, QStringLiteral("1"));
}

void TestDownloadEventHandlers::stopRequestCancelsTransfer()
{
    HttpTestServer server;
    QVERIFY(server.Start());
    server.SetRoute(QStringLiteral("/stop.flv"), HttpTestServer::Ok(QByteArray(5000, 's')));
    QTemporaryDir dir;
    HandlerFixture f;
    DownloadRecorder recorder(f.download);
    f.run.bStopRequested = true;
    f.download.SetUrl(server.Url(QStringLiteral("/stop.flv")));
    f.download.SetLocalFile(dir.filePath(QStringLiteral("stop.flv")));
    QVERIFY(!f.download.StartDownload());
    QCOMPARE(recorder.events, (QStringList{"P41", "X2048"}));
    // No handler for a cancel: the result stays as the caller left it.
    QCOMPARE(f.handlers.sDownloadResult, QString());
}

QTEST_GUILESS_MAIN(TestDownloadEventHandlers)
#include "tst_downloadeventhandlers.moc"
