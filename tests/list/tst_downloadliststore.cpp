#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "core/doevents.h"
#include "list/downloadliststore.h"
#include "list/downloadviewmodel.h"
#include "list/idownloadgrid.h"
#include "list/runstate.h"
#include "scriptedmessagebox.h"

class tst_DownloadListStore : public QObject
{
    Q_OBJECT

private:
    static bool Add(DownloadListStore &store, const QString &sUrl, QString sStatus = QString(),
                    QString sFileSize = QString())
    {
        return store.AddDownloadItem(sUrl, QStringLiteral("Waiting (Auto Detect)"), sStatus,
                                     sFileSize);
    }

private Q_SLOTS:
    void appendNumbersItemsFromOne();
    void repeatedAddressChangesNothing_data();
    void repeatedAddressChangesNothing();
    void emptyStatusAndSizeAreDefaultedForTheCaller();
    void appendStopsAtTheSixteenBitBound();
    void rebuildOfEmptyListUnbindsTheGrid();
    void rebuildCopiesItemsAndCutsLongAddresses_data();
    void rebuildCopiesItemsAndCutsLongAddresses();
    void rebuildReplacesTheViewAndStalesOldRows();
    void rebuildRequestedDuringRebuildIsDoneAfterIt();
    void itemsRemovedDuringRebuildAreSkipped();
    void findCurrentRow_data();
    void findCurrentRow();
};

void tst_DownloadListStore::appendNumbersItemsFromOne()
{
    HeadlessDownloadGrid grid;
    ScriptedMessageBox messages;
    DownloadListStore store(grid, messages);
    QCOMPARE(store.UBound(), -1);

    QVERIFY(Add(store, QStringLiteral("http://a")));
    QVERIFY(Add(store, QStringLiteral("http://b")));
    QCOMPARE(store.UBound(), 1);
    QCOMPARE(store.Items().at(0).ID, qint16(1));
    QCOMPARE(store.Items().at(1).ID, qint16(2));
    QCOMPARE(store.Items().at(1).Video_URL, QStringLiteral("http://b"));
    QCOMPARE(store.Items().at(1).FileName, QStringLiteral("Waiting (Auto Detect)"));
}

void tst_DownloadListStore::repeatedAddressChangesNothing_data()
{
    QTest::addColumn<QString>("sFirst");
    QTest::addColumn<QString>("sSecond");
    QTest::addColumn<int>("iExpectedCount");

    QTest::newRow("same text") << "http://youtube.com/x" << "http://youtube.com/x" << 1;
    QTest::newRow("case differs") << "http://youtube.com/x" << "http://YOUTUBE.com/x" << 2;
    QTest::newRow("trailing blank differs") << "http://youtube.com/x" << "http://youtube.com/x "
                                            << 2;
}

void tst_DownloadListStore::repeatedAddressChangesNothing()
{
    QFETCH(QString, sFirst);
    QFETCH(QString, sSecond);
    QFETCH(int, iExpectedCount);

    HeadlessDownloadGrid grid;
    ScriptedMessageBox messages;
    DownloadListStore store(grid, messages);
    QVERIFY(Add(store, sFirst));
    store.Finish(store.ItemAt(0)->uSerial, ItemState::Complete);

    QString sStatus = QStringLiteral("Link is not supported");
    QString sFileSize = QStringLiteral("1 MB");
    QVERIFY(store.AddDownloadItem(sSecond, QStringLiteral("ERROR"), sStatus, sFileSize));
    QCOMPARE(store.Count(), iExpectedCount);
    QCOMPARE(store.Items().at(0).Status, QStringLiteral("Complete"));
    QCOMPARE(store.Items().at(0).FileName, QStringLiteral("Waiting (Auto Detect)"));
}

void tst_DownloadListStore::emptyStatusAndSizeAreDefaultedForTheCaller()
{
    HeadlessDownloadGrid grid;
    ScriptedMessageBox messages;
    DownloadListStore store(grid, messages);
    QString sStatus;
    QString sFileSize;
    QVERIFY(store.AddDownloadItem(QStringLiteral("http://a"), QStringLiteral("n"), sStatus,
                                  sFileSize));
    QCOMPARE(sStatus, QStringLiteral("Waiting"));
    QCOMPARE(sFileSize, QStringLiteral("????"));
    QCOMPARE(store.Items().at(0).Status, QStringLiteral("Waiting"));
    QCOMPARE(store.Items().at(0).FileSize, QStringLiteral("????"));
}

void tst_DownloadListStore::appendStopsAtTheSixteenBitBound()
{
    HeadlessDownloadGrid grid;
    ScriptedMessageBox messages;
    DownloadListStore store(grid, messages);
    for (int i = 0; i < DownloadListStore::kMaxItems - 1; ++i)
        QVERIFY(Add(store, QString::number(i)));

    QVERIFY(Add(store, QStringLiteral("http://last")));
    QCOMPARE(store.Items().constLast().ID, qint16(32767));
    QVERIFY(!Add(store, QStringLiteral("http://one-too-many")));
    QCOMPARE(store.Count(), DownloadListStore::kMaxItems);
    // Already listed: still true, even at the bound.
    QVERIFY(Add(store, QStringLiteral("http://last")));
}

void tst_DownloadListStore::rebuildOfEmptyListUnbindsTheGrid()
{
    HeadlessDownloadGrid grid;
    ScriptedMessageBox messages;
    DownloadListStore store(grid, messages);
    QVERIFY(Add(store, QStringLiteral("http://a")));
    QVERIFY(store.FillDownloadList());
    QVERIFY(grid.DataSource() != nullptr);

    QVERIFY(store.RemoveDownloadItem(1));
    QVERIFY(!store.FillDownloadList());
    QCOMPARE(grid.DataSource(), nullptr);
    QVERIFY(grid.FirstRow().IsNothing());
    QVERIFY(!store.bFillingList());
    QVERIFY(messages.shown.isEmpty());
}

void tst_DownloadListStore::rebuildCopiesItemsAndCutsLongAddresses_data()
{
    QTest::addColumn<int>("iLength");
    QTest::addColumn<int>("iShown");

    QTest::newRow("short") << 30 << 30;
    QTest::newRow("219") << 219 << 219;
    QTest::newRow("220") << 220 << 219;
    QTest::newRow("300") << 300 << 219;
}

void tst_DownloadListStore::rebuildCopiesItemsAndCutsLongAddresses()
{
    QFETCH(int, iLength);
    QFETCH(int, iShown);

    HeadlessDownloadGrid grid;
    ScriptedMessageBox messages;
    DownloadListStore store(grid, messages);
    QString sUrl = QStringLiteral("http://youtube.com/");
    sUrl += QString(iLength - sUrl.size(), QLatin1Char('x'));
    QString sStatus = QStringLiteral("57");
    QString sFileSize = QStringLiteral("1.5 MB");
    QVERIFY(store.AddDownloadItem(sUrl, QStringLiteral("movie.flv"), sStatus, sFileSize));

    QVERIFY(store.FillDownloadList());
    const GridRow row = grid.FirstRow();
    QVERIFY(!row.IsNothing());
    QVERIFY(!row.HasNextSibling());
    QCOMPARE(row.CellText(DownloadViewModel::colID), QStringLiteral("1"));
    QCOMPARE(row.CellText(DownloadViewModel::colVideo_URL), sUrl.left(iShown));
    QCOMPARE(row.CellText(DownloadViewModel::colFileName), QStringLiteral("movie.flv"));
    QCOMPARE(row.CellText(DownloadViewModel::colStatus), QStringLiteral("57"));
    QCOMPARE(row.CellText(DownloadViewModel::colFileSize), QStringLiteral("1.5 MB"));
    QCOMPARE(store.Items().at(0).Video_URL.size(), iLength);
    // The cut address shows whole as the cell's tool tip; one shown whole
    // needs none from the list (the grid adds one if it draws it cut).
    QCOMPARE(grid.DataSource()
                 ->index(0, DownloadViewModel::colVideo_URL)
                 .data(Qt::ToolTipRole)
                 .toString(),
             iShown < iLength ? sUrl : QString());
}

void tst_DownloadListStore::rebuildReplacesTheViewAndStalesOldRows()
{
    HeadlessDownloadGrid grid;
    ScriptedMessageBox messages;
    DownloadListStore store(grid, messages);
    QVERIFY(Add(store, QStringLiteral("http://a")));
    QVERIFY(store.FillDownloadList());
    const GridRow oldRow = grid.FirstRow();

    QVERIFY(Add(store, QStringLiteral("http://b")));
    QVERIFY(store.FillDownloadList());
    QVERIFY(oldRow.IsNothing());
    QCOMPARE(grid.DataSource(), store.rsDownloadView());
    QCOMPARE(grid.LastRow().CellText(DownloadViewModel::colID), QStringLiteral("2"));

    // A cell write reaches the bound view at once and reports that one cell.
    QSignalSpy changed(grid.DataSource(), &QAbstractItemModel::dataChanged);
    grid.LastRow().SetCellValue(DownloadViewModel::colStatus, QStringLiteral("42"));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex().row(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex().column(), int(DownloadViewModel::colStatus));
    QCOMPARE(grid.LastRow().CellText(DownloadViewModel::colStatus), QStringLiteral("42"));
    // The list itself is untouched by a cell write.
    QCOMPARE(store.Items().at(1).Status, QStringLiteral("Waiting"));
}

void tst_DownloadListStore::rebuildRequestedDuringRebuildIsDoneAfterIt()
{
    HeadlessDownloadGrid grid;
    ScriptedMessageBox messages;
    DownloadListStore store(grid, messages);
    for (int i = 0; i < 200; ++i)
        QVERIFY(Add(store, QStringLiteral("http://item/%1").arg(i)));

    DoEventsGate::SetPassIntervalMicroseconds(0);
    int iNestedCalls = 0;
    bool bNestedResult = true;
    QTimer::singleShot(0, this, [&] {
        ++iNestedCalls;
        QVERIFY(store.bFillingList());
        QVERIFY(Add(store, QStringLiteral("http://added-inside")));
        bNestedResult = store.FillDownloadList();
    });
    QVERIFY(store.FillDownloadList());
    DoEventsGate::SetPassIntervalMicroseconds(1000);

    QCOMPARE(iNestedCalls, 1);
    QVERIFY(!bNestedResult);
    QVERIFY(!store.bFillingList());
    // The running rebuild went round again: the item appended inside it shows.
    QCOMPARE(store.rsDownloadView()->RecordCount(), 201);
    QCOMPARE(store.rsDownloadView()->CellText(200, DownloadViewModel::colVideo_URL),
             QStringLiteral("http://added-inside"));
}

void tst_DownloadListStore::itemsRemovedDuringRebuildAreSkipped()
{
    HeadlessDownloadGrid grid;
    ScriptedMessageBox messages;
    DownloadListStore store(grid, messages);
    for (int i = 0; i < 50; ++i)
        QVERIFY(Add(store, QStringLiteral("http://item/%1").arg(i)));

    DoEventsGate::SetPassIntervalMicroseconds(0);
    QTimer::singleShot(0, this, [&] {
        while (store.Count() > 10)
            store.RemoveDownloadItem(11);
        store.FillDownloadList();
    });
    QVERIFY(store.FillDownloadList());
    DoEventsGate::SetPassIntervalMicroseconds(1000);

    QCOMPARE(store.Count(), 10);
    QCOMPARE(store.rsDownloadView()->RecordCount(), 10);
    QVERIFY(messages.shown.isEmpty());
}

void tst_DownloadListStore::findCurrentRow_data()
{
    QTest::addColumn<int>("iItems");
    QTest::addColumn<int>("iCurrentItem");
    QTest::addColumn<int>("iExpectedRow");

    QTest::newRow("fifth item") << 8 << 4 << 4;
    QTest::newRow("first item") << 3 << 0 << 0;
    QTest::newRow("last item") << 3 << 2 << 2;
    QTest::newRow("beyond the list") << 3 << 3 << -1;
    QTest::newRow("empty grid") << 0 << 0 << -1;
}

void tst_DownloadListStore::findCurrentRow()
{
    QFETCH(int, iItems);
    QFETCH(int, iCurrentItem);
    QFETCH(int, iExpectedRow);

    HeadlessDownloadGrid grid;
    ScriptedMessageBox messages;
    DownloadListStore store(grid, messages);
    for (int i = 0; i < iItems; ++i)
        QVERIFY(Add(store, QStringLiteral("http://item/%1").arg(i)));
    store.FillDownloadList();

    RunState run(grid, store);
    run.SetCurrentItem(static_cast<qint16>(iCurrentItem));
    QCOMPARE(run.rowCurrent().Index(), iExpectedRow);
    if (iExpectedRow >= 0) {
        QCOMPARE(run.rowCurrent().CellText(DownloadViewModel::colID),
                 QString::number(iCurrentItem + 1));
    }
}

QTEST_GUILESS_MAIN(tst_DownloadListStore)
#include "tst_downloadliststore.moc"
