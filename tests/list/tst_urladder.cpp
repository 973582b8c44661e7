#include <QTest>

#include "list/downloadliststore.h"
#include "list/downloadviewmodel.h"
#include "list/idownloadgrid.h"
#include "list/runstate.h"
#include "list/urladder.h"
#include "scriptedmessagebox.h"

// A list with its adder, as the window has them.
struct Listing
{
    HeadlessDownloadGrid grid;
    ScriptedMessageBox messages;
    DownloadListStore store{grid, messages};
    RunState run{grid, store};
    UrlAdder adder{store, run};
};

class tst_UrlAdder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addURL_data();
    void addURL();
    void repeatedAddressLeavesFinishedItemAlone_data();
    void repeatedAddressLeavesFinishedItemAlone();
    void addingDuringARunFindsTheCurrentRowAgain();
    void sameAddressIsListedOnce_data();
    void sameAddressIsListedOnce();
};

void tst_UrlAdder::addURL_data()
{
    QTest::addColumn<QString>("sUrl");
    QTest::addColumn<QString>("sFileName");
    QTest::addColumn<QString>("sStatus");

    QTest::newRow("supported") << "http://www.youtube.com/watch?v=abc"
                               << "Waiting (Auto Detect)"
                               << "Waiting";
    QTest::newRow("unsupported") << "http://example.org/video" << "ERROR"
                                 << "Link is not supported";
    QTest::newRow("empty text") << "" << "ERROR" << "Link is not supported";
    QTest::newRow("kept untrimmed") << "  http://youtube.com/x  " << "Waiting (Auto Detect)"
                                    << "Waiting";
    QTest::newRow("supported, scheme left out") << "www.dailymotion.com/video/x1"
                                                << "Waiting (Auto Detect)" << "Waiting";
    QTest::newRow("sentence naming a site")
        << "ask Bob about the dailymotion.com contract, budget 5000" << "ERROR"
        << "Link is not supported";
}

void tst_UrlAdder::addURL()
{
    QFETCH(QString, sUrl);
    QFETCH(QString, sFileName);
    QFETCH(QString, sStatus);

    Listing f;
    f.adder.AddURL(QStringLiteral("http://www.break.com/first"));
    f.adder.AddURL(sUrl);

    QCOMPARE(f.store.Count(), 2);
    const DownloadItem &item = f.store.Items().at(1);
    QCOMPARE(item.ID, qint16(2));
    QCOMPARE(item.Video_URL, sUrl);
    QCOMPARE(item.FileName, sFileName);
    QCOMPARE(item.Status, sStatus);
    QCOMPARE(item.FileSize, QStringLiteral("????"));
    // The view follows every add.
    QCOMPARE(f.grid.LastRow().CellText(DownloadViewModel::colStatus), sStatus);
}

void tst_UrlAdder::repeatedAddressLeavesFinishedItemAlone_data()
{
    QTest::addColumn<QString>("sStatus");
    QTest::newRow("complete") << "Complete";
    QTest::newRow("error") << "ERROR";
}

void tst_UrlAdder::repeatedAddressLeavesFinishedItemAlone()
{
    QFETCH(QString, sStatus);

    Listing f;
    const QString sUrl = QStringLiteral("http://youtube.com/v");
    f.adder.AddURL(sUrl);
    f.store.SetStatus(f.store.ItemAt(0)->uSerial, sStatus);
    f.store.SetFileName(f.store.ItemAt(0)->uSerial, QStringLiteral("done.flv"));

    f.adder.AddURL(sUrl);
    QCOMPARE(f.store.Count(), 1);
    QCOMPARE(f.store.Items().at(0).Status, sStatus);
    QCOMPARE(f.store.Items().at(0).FileName, QStringLiteral("done.flv"));
}

void tst_UrlAdder::addingDuringARunFindsTheCurrentRowAgain()
{
    Listing f;
    f.adder.AddURL(QStringLiteral("http://youtube.com/1"));
    f.adder.AddURL(QStringLiteral("http://youtube.com/2"));

    f.run.BeginRun();
    f.run.SetCurrentItem(1);
    const GridRow before = f.run.rowCurrent();
    QCOMPARE(before.Index(), 1);

    f.adder.AddURL(QStringLiteral("http://youtube.com/3"));
    QVERIFY(before.IsNothing());
    QCOMPARE(f.run.rowCurrent().Index(), 1);
    QCOMPARE(f.run.rowCurrent().View(), f.grid.DataSource());

    // Idle: the row is not looked for.
    f.run.EndRun();
    f.adder.AddURL(QStringLiteral("http://youtube.com/4"));
    QVERIFY(f.run.rowCurrent().IsNothing());
}

void tst_UrlAdder::sameAddressIsListedOnce_data()
{
    QTest::addColumn<QString>("sFirst");
    QTest::addColumn<QString>("sSecond");
    QTest::addColumn<bool>("bRowShowsOther"); // the first item's row shows another text

    const QString sUrl = QStringLiteral("http://www.youtube.com/watch?v=1");
    QTest::newRow("space after") << sUrl << sUrl + u' ' << false;
    QTest::newRow("line break and tab around") << "\t" + sUrl + "\n" << " " + sUrl << false;
    QTest::newRow("behind the row's text") << sUrl << sUrl << true;
    QTest::newRow("behind the row's text, space around") << sUrl << " " + sUrl + " " << true;
}

void tst_UrlAdder::sameAddressIsListedOnce()
{
    QFETCH(QString, sFirst);
    QFETCH(QString, sSecond);
    QFETCH(bool, bRowShowsOther);

    Listing f;
    f.adder.AddURL(sFirst);
    if (bRowShowsOther)
        f.store.ShowInsteadOfAddress(f.store.ItemAt(0)->uSerial, QStringLiteral("no video here"));
    f.adder.AddURL(sSecond);
    QCOMPARE(f.store.Count(), 1);
    QCOMPARE(f.store.ItemAt(0)->PageUrl(), sFirst);
}

QTEST_GUILESS_MAIN(tst_UrlAdder)
#include "tst_urladder.moc"
