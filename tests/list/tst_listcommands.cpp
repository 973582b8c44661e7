#include <QPoint>
#include <QTest>

#include "list/downloadliststore.h"
#include "list/downloadviewmodel.h"
#include "list/idownloadgrid.h"
#include "list/listcommands.h"
#include "list/runstate.h"
#include "scriptedmessagebox.h"

namespace {

// Items named by letters: "A" is http://videos/A. Statuses by position; a
// list shorter than the names leaves the rest "Waiting".
struct Fixture
{
    HeadlessDownloadGrid grid;
    ScriptedMessageBox messages;
    DownloadListStore store{grid, messages};
    RunState run{grid, store};
    ListCommands commands{store, run};

    Fixture(const QString &sNames, const QStringList &statuses = {})
    {
        for (int i = 0; i < sNames.size(); ++i) {
            QString sStatus = i < statuses.size() ? statuses.at(i) : QString();
            QString sSize;
            store.AddDownloadItem(QStringLiteral("http://videos/") + sNames.at(i),
                                  QStringLiteral("file") + sNames.at(i), sStatus, sSize);
        }
        store.FillDownloadList();
    }

    // Cells as (row, column); column -1 selects the whole row.
    void Select(const QList<QPoint> &cells)
    {
        for (const QPoint &cell : cells) {
            if (cell.y() < 0)
                grid.SetRowSelected(cell.x());
            else
                grid.SetCellSelected(cell.x(), cell.y());
        }
    }

    void Run(const QString &sCommand)
    {
        if (sCommand == QLatin1String("remove"))
            commands.RemoveSelected();
        else if (sCommand == QLatin1String("clear"))
            commands.ClearCompleted();
        else if (sCommand == QLatin1String("up"))
            commands.MoveSelectedUp();
        else if (sCommand == QLatin1String("down"))
            commands.MoveSelectedDown();
        else if (sCommand == QLatin1String("selectall remove")) {
            commands.SelectAll();
            commands.RemoveSelected();
        } else
            QFAIL("unknown command");
    }

    // The selected cells as item letter and column, sorted.
    QStringList SelectedCells() const
    {
        QStringList cells;
        for (const QModelIndex &cell : grid.Selected()) {
            cells.append(grid.DataSource()
                             ->CellText(cell.row(), DownloadViewModel::colVideo_URL)
                             .right(1)
                         + QString::number(cell.column()));
        }
        cells.sort();
        return cells;
    }

    // The letters of the listed items in order, after checking that every
    // item is numbered by its position.
    QString Names() const
    {
        QString sNames;
        for (int i = 0; i < store.Count(); ++i) {
            const DownloadItem &item = store.Items().at(i);
            if (item.ID != i + 1)
                return QStringLiteral("<ID %1 at %2>").arg(item.ID).arg(i);
            sNames += item.Video_URL.right(1);
        }
        return sNames;
    }
};

} // namespace

class tst_ListCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commandsEditTheList_data();
    void commandsEditTheList();
    void removalOnAnEmptyGridDoesNothing_data();
    void removalOnAnEmptyGridDoesNothing();
    void retrySetsFailedAndCancelledItemsWaiting_data();
    void retrySetsFailedAndCancelledItemsWaiting();
    void selectAllSelectsRowsWithoutRebuilding();
    void emptiedListIsLaidOutAgainWhenRefilled();
    void editDuringARunFindsTheCurrentRowAgain_data();
    void editDuringARunFindsTheCurrentRowAgain();
    void removingTheCurrentItemLeavesTheRunWithoutOne();
    void removalKeepsEverythingElseOfTheOtherItems();
    void listProceduresOnEdgesChangeNothing();
    void fieldWritesFollowTheItemBySerial();
};

void tst_ListCommands::commandsEditTheList_data()
{
    QTest::addColumn<QString>("sNames");
    QTest::addColumn<QStringList>("statuses");
    QTest::addColumn<QList<QPoint>>("selection");
    QTest::addColumn<QString>("sCommand");
    QTest::addColumn<QString>("sExpected");

    const QString C = QStringLiteral("Complete");
    const QString W = QStringLiteral("Waiting");
    QTest::newRow("clear completed leaves the unfinished")
        << "ABCD" << QStringList{C, W, C, C} << QList<QPoint>{} << "clear" << "B";
    QTest::newRow("clear completed with none complete")
        << "ABC" << QStringList{W, QStringLiteral("57"), QStringLiteral("ERROR")}
        << QList<QPoint>{} << "clear" << "ABC";
    QTest::newRow("clear completed matches the exact text")
        << "AB" << QStringList{QStringLiteral("complete"), QStringLiteral("Complete ")}
        << QList<QPoint>{} << "clear" << "AB";
    QTest::newRow("remove cells of rows 2 and 4")
        << "ABCDE" << QStringList{} << QList<QPoint>{{1, 3}, {3, 0}} << "remove" << "ACE";
    QTest::newRow("remove a whole row")
        << "ABCDE" << QStringList{} << QList<QPoint>{{0, -1}} << "remove" << "BCDE";
    QTest::newRow("remove two cells of one row once")
        << "ABCDE" << QStringList{} << QList<QPoint>{{1, 2}, {1, 4}} << "remove" << "ACDE";
    QTest::newRow("remove the last row")
        << "ABC" << QStringList{} << QList<QPoint>{{2, 1}} << "remove" << "AB";
    QTest::newRow("remove with nothing selected")
        << "ABCDE" << QStringList{} << QList<QPoint>{} << "remove" << "ABCDE";
    QTest::newRow("select all, then remove")
        << "ABCDE" << QStringList{} << QList<QPoint>{} << "selectall remove" << "";
    QTest::newRow("move the third item up")
        << "ABCDE" << QStringList{} << QList<QPoint>{{2, 2}} << "up" << "ACBDE";
    QTest::newRow("move the first item up")
        << "ABC" << QStringList{} << QList<QPoint>{{0, 1}} << "up" << "ABC";
    QTest::newRow("move the last item down")
        << "ABC" << QStringList{} << QList<QPoint>{{2, 1}} << "down" << "ABC";
    QTest::newRow("move down: only the first selected cell counts")
        << "ABCDE" << QStringList{} << QList<QPoint>{{1, 1}, {3, 1}} << "down" << "ACBDE";
    QTest::newRow("move down: selection order, not row order")
        << "ABCDE" << QStringList{} << QList<QPoint>{{3, 1}, {1, 1}} << "down" << "ABCED";
    QTest::newRow("move up with nothing selected")
        << "ABC" << QStringList{} << QList<QPoint>{} << "up" << "ABC";
    QTest::newRow("move a single item down")
        << "A" << QStringList{} << QList<QPoint>{{0, 0}} << "down" << "A";
}

void tst_ListCommands::commandsEditTheList()
{
    QFETCH(QString, sNames);
    QFETCH(QStringList, statuses);
    QFETCH(QList<QPoint>, selection);
    QFETCH(QString, sCommand);
    QFETCH(QString, sExpected);

    Fixture f(sNames, statuses);
    f.Select(selection);
    const QStringList selectedBefore = f.SelectedCells();
    const DownloadViewModel *pBefore = f.grid.DataSource();
    const int iBindingsBefore = f.grid.iBindings;

    f.Run(sCommand);

    QCOMPARE(f.Names(), sExpected);
    if (sExpected.isEmpty()) {
        QVERIFY(!f.grid.DataSource());
        QVERIFY(!f.grid.bGridFormatted);
        QVERIFY(f.store.IsListEmpty());
    } else {
        // Every command but select all ends with a fresh view of the list,
        // also when it changed nothing; the selected items still listed stay
        // selected, wherever they moved.
        QCOMPARE(f.grid.iBindings, iBindingsBefore + 1);
        QVERIFY(f.grid.DataSource() != pBefore);
        QVERIFY(f.grid.bGridFormatted);
        QCOMPARE(f.grid.DataSource()->RecordCount(), sExpected.size());
        QStringList selectedStillListed;
        for (const QString &sCell : selectedBefore) {
            if (sExpected.contains(sCell.at(0)))
                selectedStillListed.append(sCell);
        }
        QCOMPARE(f.SelectedCells(), selectedStillListed);
        for (int i = 0; i < sExpected.size(); ++i)
            QCOMPARE(f.grid.DataSource()->CellText(i, DownloadViewModel::colFileName),
                     QStringLiteral("file") + sExpected.at(i));
    }
}

void tst_ListCommands::retrySetsFailedAndCancelledItemsWaiting_data()
{
    QTest::addColumn<QStringList>("statuses");
    QTest::addColumn<QList<QPoint>>("selection");
    QTest::addColumn<QStringList>("expected");

    const QString C = QStringLiteral("Complete");
    const QString W = QStringLiteral("Waiting");
    const QString E = QStringLiteral("ERROR");
    const QString X = QStringLiteral("Cancelled");
    QTest::newRow("failed and cancelled rows")
        << QStringList{E, X} << QList<QPoint>{{0, -1}, {1, 2}} << QStringList{W, W};
    QTest::newRow("complete, running and waiting rows stay")
        << QStringList{C, QStringLiteral("57"), W} << QList<QPoint>{{0, -1}, {1, -1}, {2, 0}}
        << QStringList{C, QStringLiteral("57"), W};
    QTest::newRow("only the selected rows")
        << QStringList{E, E, X} << QList<QPoint>{{1, 3}} << QStringList{E, W, X};
    QTest::newRow("nothing selected") << QStringList{E} << QList<QPoint>{} << QStringList{E};
}

void tst_ListCommands::retrySetsFailedAndCancelledItemsWaiting()
{
    QFETCH(QStringList, statuses);
    QFETCH(QList<QPoint>, selection);
    QFETCH(QStringList, expected);
    Fixture f(QStringLiteral("ABC").left(statuses.size()), statuses);
    for (const DownloadItem &item : f.store.Items())
        f.store.SetReason(item.uSerial, QStringLiteral("why"));
    f.Select(selection);

    f.commands.RetrySelected();

    for (int i = 0; i < statuses.size(); ++i) {
        QCOMPARE(f.store.ItemAt(i)->Status, expected.at(i));
        // An item waiting again has no reason left to show.
        QCOMPARE(f.store.ItemAt(i)->sReason.isEmpty(), expected.at(i) != statuses.at(i));
    }
}

void tst_ListCommands::removalOnAnEmptyGridDoesNothing_data()
{
    QTest::addColumn<QString>("sCommand");
    QTest::newRow("remove selected") << "remove";
    QTest::newRow("clear completed") << "clear";
}

void tst_ListCommands::removalOnAnEmptyGridDoesNothing()
{
    QFETCH(QString, sCommand);
    Fixture f{QString()};
    f.grid.bGridFormatted = true;
    f.Run(sCommand);
    QCOMPARE(f.grid.iBindings, 0);
    QVERIFY(f.grid.bGridFormatted);
    QVERIFY(f.store.IsListEmpty());
}

void tst_ListCommands::selectAllSelectsRowsWithoutRebuilding()
{
    Fixture f(QStringLiteral("ABC"));
    const int iBindings = f.grid.iBindings;
    f.commands.SelectAll();
    for (int iRow = 0; iRow < 3; ++iRow)
        QVERIFY(f.grid.IsRowSelected(iRow));
    QCOMPARE(f.grid.iBindings, iBindings);
    QCOMPARE(f.Names(), QStringLiteral("ABC"));
}

void tst_ListCommands::emptiedListIsLaidOutAgainWhenRefilled()
{
    Fixture f(QStringLiteral("AB"), {QStringLiteral("Complete"), QStringLiteral("Complete")});
    QVERIFY(f.grid.bGridFormatted);
    f.commands.ClearCompleted();
    QVERIFY(!f.grid.bGridFormatted);
    QVERIFY(!f.grid.DataSource());

    QString sStatus, sSize;
    f.store.AddDownloadItem(QStringLiteral("http://videos/C"), QString(), sStatus, sSize);
    f.store.FillDownloadList();
    QVERIFY(f.grid.bGridFormatted);
    QCOMPARE(f.Names(), QStringLiteral("C"));
}

// During a run the current row is looked up again after the rebuild: the old
// reference belongs to a view that is gone, and the item may have moved.
void tst_ListCommands::editDuringARunFindsTheCurrentRowAgain_data()
{
    QTest::addColumn<QList<QPoint>>("selection");
    QTest::addColumn<QString>("sCommand");
    QTest::addColumn<int>("iExpectedIndex"); // where the current item is afterwards

    QTest::newRow("remove an item behind") << QList<QPoint>{{4, 1}} << "remove" << 2;
    QTest::newRow("move an item behind down") << QList<QPoint>{{3, 1}} << "down" << 2;
    QTest::newRow("move an item in front up") << QList<QPoint>{{1, 1}} << "up" << 2;
    QTest::newRow("nothing selected, move") << QList<QPoint>{} << "up" << 2;
    QTest::newRow("clear completed in front") << QList<QPoint>{} << "clear" << 1;
    QTest::newRow("remove an item in front") << QList<QPoint>{{0, 2}} << "remove" << 1;
    QTest::newRow("move the current item up") << QList<QPoint>{{2, 2}} << "up" << 1;
    QTest::newRow("move the current item down") << QList<QPoint>{{2, 2}} << "down" << 3;
}

void tst_ListCommands::editDuringARunFindsTheCurrentRowAgain()
{
    QFETCH(QList<QPoint>, selection);
    QFETCH(QString, sCommand);
    QFETCH(int, iExpectedIndex);

    Fixture f(QStringLiteral("ABCDE"), {QStringLiteral("Complete"), QString(),
                                         QStringLiteral("57")});
    f.run.BeginRun();
    f.run.SetCurrentItem(2);
    QCOMPARE(f.run.rowCurrent().CellText(DownloadViewModel::colVideo_URL),
             QStringLiteral("http://videos/C"));
    f.Select(selection);

    f.Run(sCommand);

    // The run follows its item wherever the edit put it, in the new view.
    QCOMPARE(int(f.run.iCurrentItem()), iExpectedIndex);
    QCOMPARE(f.run.rowCurrent().View(), f.grid.DataSource());
    QCOMPARE(f.run.rowCurrent().CellText(DownloadViewModel::colVideo_URL),
             QStringLiteral("http://videos/C"));
    QCOMPARE(f.run.rowCurrent().CellText(DownloadViewModel::colStatus), QStringLiteral("57"));
}

void tst_ListCommands::removingTheCurrentItemLeavesTheRunWithoutOne()
{
    Fixture f(QStringLiteral("ABC"));
    f.run.BeginRun();
    f.run.SetCurrentItem(1);
    f.Select({{1, 1}});
    f.Run(QStringLiteral("remove"));
    QCOMPARE(int(f.run.iCurrentItem()), -1);
    QVERIFY(f.run.rowCurrent().IsNothing());
}

// Two items may carry the same text in Video_URL (the queue writes one
// message into every item whose page has no video); removing a third item
// must not fold them into one.
void tst_ListCommands::removalKeepsEverythingElseOfTheOtherItems()
{
    Fixture f(QStringLiteral("ABC"));
    const QString sNoVideo =
        QStringLiteral("Video may be inappropriate and can not be downloaded");
    for (int i : {0, 2}) {
        const quint32 uSerial = f.store.ItemAt(i)->uSerial;
        f.store.SetVideo_URL(uSerial, sNoVideo);
        f.store.SetFileName(uSerial, QStringLiteral("Process failed."));
        f.store.Finish(uSerial, ItemState::Failed);
        f.store.SetFileSize(uSerial, QStringLiteral("1.5 MB"));
    }

    QVERIFY(f.store.RemoveDownloadItem(2));

    QCOMPARE(f.store.Count(), 2);
    for (int i : {0, 1}) {
        const DownloadItem &item = f.store.Items().at(i);
        QCOMPARE(item.ID, qint16(i + 1));
        QCOMPARE(item.Video_URL, sNoVideo);
        QCOMPARE(item.FileName, QStringLiteral("Process failed."));
        QCOMPARE(item.Status, QStringLiteral("ERROR"));
        QCOMPARE(item.FileSize, QStringLiteral("1.5 MB"));
    }
}

void tst_ListCommands::listProceduresOnEdgesChangeNothing()
{
    Fixture empty{QString()};
    QVERIFY(!empty.store.RemoveDownloadItem(1));
    QVERIFY(empty.store.IsListEmpty());

    Fixture f(QStringLiteral("ABC"));
    QVERIFY(f.store.RemoveDownloadItem(7));
    f.store.MoveItemUp(1);
    f.store.MoveItemDown(3);
    f.store.MoveItemUp(0);
    f.store.MoveItemDown(-1);
    QCOMPARE(f.Names(), QStringLiteral("ABC"));

    QVERIFY(f.store.RemoveDownloadItem(1));
    QVERIFY(f.store.RemoveDownloadItem(1));
    QVERIFY(f.store.RemoveDownloadItem(1));
    QVERIFY(f.store.IsListEmpty());
}

void tst_ListCommands::fieldWritesFollowTheItemBySerial()
{
    Fixture f(QStringLiteral("ABC"));
    const quint32 uB = f.store.ItemAt(1)->uSerial;
    const quint32 uC = f.store.ItemAt(2)->uSerial;
    f.store.MoveItemUp(2);
    QVERIFY(f.store.RemoveDownloadItem(3));

    // B moved to the top; its writes follow it there and touch nothing else.
    QVERIFY(f.store.SetFileName(uB, QStringLiteral("new.flv")));
    QVERIFY(f.store.Finish(uB, ItemState::Complete));
    const DownloadItem &item = f.store.Items().at(0);
    QCOMPARE(item.FileName, QStringLiteral("new.flv"));
    QCOMPARE(item.Status, QStringLiteral("Complete"));
    QCOMPARE(item.State(), ItemState::Complete);
    QCOMPARE(item.Video_URL, QStringLiteral("http://videos/B"));
    QCOMPARE(f.store.Items().at(1).FileName, QStringLiteral("fileA"));
    QCOMPARE(f.store.Items().at(1).State(), ItemState::Open);

    // A removed item is written nowhere.
    QVERIFY(!f.store.SetStatus(uC, u"57"));
    QVERIFY(!f.store.SetVideo_URL(uC, QStringLiteral("x")));
    QCOMPARE(f.Names(), QStringLiteral("BA"));
    QCOMPARE(f.store.IDOfSerial(uC), qint16(0));
}

QTEST_GUILESS_MAIN(tst_ListCommands)
#include "tst_listcommands.moc"
